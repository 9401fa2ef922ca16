#include "win32/installer/ShowcaseHost.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <ocidl.h>

#include <atomic>
#include <stdexcept>

#include "win32/common/Handles.h"
#include "win32/common/MessageBox.h"
#include "win32/common/WideText.h"
#include "win32/common/Window.h"

namespace bailan {
namespace {

// A BSTR owned for one call.
class TBstr {
 public:
  explicit TBstr(const wchar_t* text) : text_(SysAllocString(text)) {}
  TBstr() = default;
  ~TBstr() { SysFreeString(text_); }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  BSTR Get() const { return text_; }
  BSTR* Put() {
    SysFreeString(text_);
    text_ = nullptr;
    return &text_;
  }

 private:
  BSTR text_ = nullptr;
};

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) throw std::runtime_error(what);
}

// The same COM object, whatever interfaces the two pointers are.
bool SameObject(IUnknown* a, IUnknown* b) {
  if (a == nullptr || b == nullptr) return false;
  TComPtr<IUnknown> first, second;
  a->QueryInterface(IID_IUnknown, first.PutVoid());
  b->QueryInterface(IID_IUnknown, second.PutVoid());
  return first && first.Get() == second.Get();
}

class TBrowserHost;

// The container side of the browser control: its client site, in-place site
// and frame, and the sink of its DWebBrowserEvents2. Reference counted as COM
// wants; the host detaches itself before it goes, so that late calls from the
// control reach nothing.
class TBrowserSite final : public IOleClientSite,
                           public IOleInPlaceSite,
                           public IOleInPlaceFrame,
                           public IDispatch {
 public:
  // Made by `host` with one reference, which the host holds; the control takes
  // more. GUI thread only, as every call the control makes into it.
  explicit TBrowserSite(TBrowserHost* host) : host_(host) {}
  void Detach() { host_ = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleInPlaceSite || iid == IID_IOleWindow) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow) {
      *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
      *object = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    if (container != nullptr) *container = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (of the in-place site and the frame alike)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                             LPRECT position, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO info) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow and IOleInPlaceFrame: no menus, no tool space.
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDispatch: the browser's events; only the document-complete one matters.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count != nullptr) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                   EXCEPINFO*, UINT*) override;

 private:
  ~TBrowserSite() = default;

  std::atomic<ULONG> references_{1};
  TBrowserHost* host_;
};

// The browser in its own child window, created out of view as the design
// places it.
class TBrowserHost final : public TShowcaseHost, public TWindow {
 public:
  // The host's window as a child of `parent` (destroyed with this object);
  // Connect() then makes the control in it. GUI thread only.
  TBrowserHost(HWND parent, RECT bounds, TDocumentComplete documentComplete)
      : documentComplete_(std::move(documentComplete)) {
    CreateHandle({L"BailanShowcase", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, bounds,
                  parent, 0, L"", nullptr});
  }

  // Creates and activates the control in the window; raises when the system
  // has none. The destructor undoes whatever part was done.
  void Connect() {
    site_ = TComPtr<TBrowserSite>::Adopt(new TBrowserSite(this));
    Check(
        CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object_.PutVoid()),
        "The browser control cannot be created");
    Check(object_->SetClientSite(site_.Get()), "The browser control refuses its site");
    RECT client;
    GetClientRect(Handle(), &client);
    Check(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, Handle(), &client),
          "The browser control cannot be activated");
    browser_ = object_.As<IWebBrowser2>(IID_IWebBrowser2);
    if (!browser_) throw std::runtime_error("The browser control has no IWebBrowser2");
    browser_->put_Silent(VARIANT_TRUE);  // no script error boxes of the page's own
    auto container = object_.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    if (!container || FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, events_.Put())) ||
        FAILED(events_->Advise(static_cast<IDispatch*>(site_.Get()), &cookie_))) {
      throw std::runtime_error("The browser control sends no events");
    }
  }

  ~TBrowserHost() override {
    if (events_ && cookie_ != 0) events_->Unadvise(cookie_);
    if (browser_) browser_->Stop();
    if (object_) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
    }
    if (site_) site_->Detach();
  }

  HWND Window() const override { return Handle(); }

  void Navigate(const std::string& url) override {
    TBstr address(Wide(url).c_str());
    VARIANT empty;
    VariantInit(&empty);
    browser_->Navigate(address.Get(), &empty, &empty, &empty, &empty);
  }

  void DocumentComplete(IDispatch* frame) {
    TComPtr<IDispatch> top = browser_.As<IDispatch>(IID_IDispatch);
    const bool topLevel = SameObject(frame, top.Get());
    TComPtr<IHTMLElement> body = StyleBody();
    if (!topLevel) {
      documentComplete_(false, nullptr);
      return;
    }
    TBstr html;
    Check(body->get_innerHTML(html.Put()), "The document's body cannot be read");
    const std::string text = html.Get() != nullptr ? Narrow(html.Get()) : std::string();
    documentComplete_(true, &text);
  }

  void Resized() {
    auto inPlace = object_.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    RECT client;
    GetClientRect(Handle(), &client);
    if (inPlace) inPlace->SetObjectRects(&client, &client);
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_SIZE && object_) Resized();
    return TWindow::HandleMessage(message, wParam, lParam);
  }

 private:
  // The top document's body without scroll bars, border or margin; raises
  // when there is no body or it refuses a setting.
  TComPtr<IHTMLElement> StyleBody() {
    TComPtr<IDispatch> document;
    if (FAILED(browser_->get_Document(document.Put())) || !document) {
      throw std::runtime_error("The showcase page has no document");
    }
    auto html = document.As<IHTMLDocument2>(IID_IHTMLDocument2);
    TComPtr<IHTMLElement> body;
    if (!html || FAILED(html->get_body(body.Put())) || !body) {
      throw std::runtime_error("The showcase page has no body");
    }
    auto bodyElement = body.As<IHTMLBodyElement>(IID_IHTMLBodyElement);
    TComPtr<IHTMLStyle> style;
    TBstr no(L"no"), none(L"none"), zero(L"0px");
    if (!bodyElement || FAILED(bodyElement->put_scroll(no.Get())) || FAILED(body->get_style(style.Put())) ||
        !style || FAILED(style->put_border(none.Get())) || FAILED(style->put_margin(zero.Get()))) {
      throw std::runtime_error("The showcase page's body refuses its settings");
    }
    return body;
  }

  TDocumentComplete documentComplete_;
  TComPtr<TBrowserSite> site_;
  TComPtr<IOleObject> object_;
  TComPtr<IWebBrowser2> browser_;
  TComPtr<IConnectionPoint> events_;
  DWORD cookie_ = 0;

  friend class TBrowserSite;
};

HRESULT STDMETHODCALLTYPE TBrowserSite::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = host_ != nullptr ? host_->Handle() : nullptr;
  return *window != nullptr ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TBrowserSite::GetWindowContext(IOleInPlaceFrame** frame,
                                                         IOleInPlaceUIWindow** document, LPRECT position,
                                                         LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr || info == nullptr) {
    return E_POINTER;
  }
  if (host_ == nullptr) return E_FAIL;
  *frame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *document = nullptr;
  GetClientRect(host_->Handle(), position);
  *clip = *position;
  info->fMDIApp = FALSE;
  info->hwndFrame = GetAncestor(host_->Handle(), GA_ROOT);
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TBrowserSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                               VARIANT*, EXCEPINFO*, UINT*) {
  if (id != DISPID_DOCUMENTCOMPLETE || host_ == nullptr || parameters == nullptr || parameters->cArgs < 2) {
    return S_OK;
  }
  // Arguments come last first: the frame's dispatch object, then its URL.
  const VARIANT& frame = parameters->rgvarg[1];
  IDispatch* dispatch = frame.vt == VT_DISPATCH ? frame.pdispVal : nullptr;
  const HWND owner = GetAncestor(host_->Handle(), GA_ROOT);
  RunHandler(owner, [&] { host_->DocumentComplete(dispatch); });
  return S_OK;
}

}  // namespace

std::unique_ptr<TShowcaseHost> TShowcaseHost::Create(HWND parent, RECT bounds,
                                                     TDocumentComplete documentComplete) {
  try {
    auto host = std::make_unique<TBrowserHost>(parent, bounds, std::move(documentComplete));
    host->Connect();
    return host;
  } catch (const std::exception&) {
    return nullptr;  // no browser here: the banner stays
  }
}

}  // namespace bailan

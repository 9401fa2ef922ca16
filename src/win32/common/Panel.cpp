#include "win32/common/Panel.h"

#include "win32/common/Controls.h"

namespace bailan {

bool IsForwardedToForm(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_MEASUREITEM:
    case WM_CONTEXTMENU:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return true;
    default:
      return false;
  }
}

TPanel::TPanel(HWND parent, RECT bounds, COLORREF colour, bool dragSurface)
    : colour_(colour), brush_(CreateSolidBrush(colour)), dragSurface_(dragSurface) {
  CreateHandle(
      {L"BailanPanel", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, bounds, parent, 0, L"", nullptr});
}

void TPanel::SetCaption(std::wstring caption, HFONT font) {
  caption_ = std::move(caption);
  captionFont_ = font;
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TPanel::Paint() {
  TPaintDc paint(Handle());
  RECT client;
  GetClientRect(Handle(), &client);
  FillRect(paint.Get(), &client, brush_.Get());
  if (caption_.empty()) return;
  TSelection font(paint.Get(), captionFont_ != nullptr ? captionFont_ : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(paint.Get(), TRANSPARENT);
  SetTextColor(paint.Get(), GetSysColor(COLOR_WINDOWTEXT));
  DrawTextW(paint.Get(), caption_.c_str(), static_cast<int>(caption_.size()), &client,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT TPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsForwardedToForm(message))
    return SendMessageW(GetAncestor(Handle(), GA_ROOT), message, wParam, lParam);
  switch (message) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      return SendMessageW(item->hwndItem, kReflectedDrawItem, wParam, lParam);
    }
    case WM_ERASEBKGND:
      return 1;  // the paint fills the whole panel
    case WM_PAINT:
      Paint();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (dragSurface_) {
        SendMessageW(GetAncestor(Handle(), GA_ROOT), kSurfaceMouseDown, wParam, 0);
      }
      return 0;
    default:
      return TWindow::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace bailan

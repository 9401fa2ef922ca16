#include "win32/common/Label.h"

#include "win32/common/Handles.h"
#include "win32/common/WideText.h"

namespace bailan {

TLabel::TLabel(HWND parent, int id, RECT bounds, const std::string& text, const TLabelLook& look)
    : look_(look) {
  CreateHandle(
      {L"BailanLabel", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, bounds, parent, id, Wide(text), nullptr});
}

void TLabel::SetText(const std::string& cp936) {
  SetWindowTextCp(Handle(), cp936);
  InvalidateRect(Handle(), nullptr, TRUE);
}

std::string TLabel::Text() const {
  return WindowText(Handle());
}

void TLabel::Paint() {
  TPaintDc paint(Handle());
  RECT client;
  GetClientRect(Handle(), &client);
  TBrush background(CreateSolidBrush(look_.Background));
  FillRect(paint.Get(), &client, background.Get());
  const int length = GetWindowTextLengthW(Handle());
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(Handle(), text.data(), length + 1)));
  if (text.empty()) return;
  TSelection font(paint.Get(), look_.Font != nullptr ? look_.Font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(paint.Get(), TRANSPARENT);
  SetTextColor(paint.Get(), look_.TextColour);
  UINT format = DT_NOPREFIX | (look_.Centred ? DT_CENTER : DT_LEFT);
  if (!look_.WordWrap) {
    DrawTextW(paint.Get(), text.c_str(), static_cast<int>(text.size()), &client,
              format | DT_SINGLELINE | DT_VCENTER);
    return;
  }
  // Wrapped text is centred vertically by its measured height.
  RECT measured = client;
  DrawTextW(paint.Get(), text.c_str(), static_cast<int>(text.size()), &measured,
            format | DT_WORDBREAK | DT_CALCRECT);
  RECT target = client;
  const int spare = (client.bottom - client.top) - (measured.bottom - measured.top);
  if (spare > 0) target.top += spare / 2;
  DrawTextW(paint.Get(), text.c_str(), static_cast<int>(text.size()), &target, format | DT_WORDBREAK);
}

LRESULT TLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      if (look_.Mouse == TLabelMouse::PassThrough) return HTTRANSPARENT;
      return HTCLIENT;
    case WM_SETCURSOR:
      if (look_.Mouse == TLabelMouse::Link) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      if (look_.Mouse == TLabelMouse::Link) {
        SendMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Handle()), STN_CLICKED),
                     reinterpret_cast<LPARAM>(Handle()));
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = TWindow::HandleMessage(message, wParam, lParam);
      InvalidateRect(Handle(), nullptr, TRUE);
      return result;
    }
    default:
      break;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace bailan

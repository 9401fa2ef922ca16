#include "win32/common/PictureBox.h"

namespace bailan {

TPictureBox::TPictureBox(HWND parent, RECT bounds, COLORREF background, bool stretch, bool swallowMouse)
    : background_(background), stretch_(stretch), swallowMouse_(swallowMouse) {
  CreateHandle({L"BailanPicture", WS_CHILD | WS_VISIBLE, 0, bounds, parent, 0, L"", nullptr});
}

void TPictureBox::SetPicture(const TPicture* picture, RECT source) {
  picture_ = picture;
  source_ = source;
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TPictureBox::Paint() {
  TPaintDc paint(Handle());
  RECT client;
  GetClientRect(Handle(), &client);
  TBrush background(CreateSolidBrush(background_));
  FillRect(paint.Get(), &client, background.Get());
  if (picture_ == nullptr) return;
  RECT target = client;
  if (!stretch_) target = RECT{0, 0, source_.right - source_.left, source_.bottom - source_.top};
  DrawPicture(paint.Get(), *picture_, source_, target);
}

LRESULT TPictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return swallowMouse_ ? HTCLIENT : HTTRANSPARENT;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      return 0;
    default:
      return TWindow::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace bailan

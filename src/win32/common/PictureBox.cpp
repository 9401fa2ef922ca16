#include "win32/common/PictureBox.h"

#include "win32/common/Controls.h"

namespace bailan {

TPictureBox::TPictureBox(HWND parent, RECT bounds, COLORREF background, TPictureFit fit, TPictureMouse mouse)
    : background_(background), fit_(fit), mouse_(mouse) {
  CreateHandle(
      {L"BailanPicture", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, bounds, parent, 0, L"", nullptr});
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
  if (fit_ == TPictureFit::Natural)
    target = RECT{0, 0, source_.right - source_.left, source_.bottom - source_.top};
  DrawPicture(paint.Get(), *picture_, source_, target);
}

LRESULT TPictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (mouse_ == TPictureMouse::DragSurface)
        SendMessageW(GetAncestor(Handle(), GA_ROOT), kSurfaceMouseDown, wParam, 0);
      return 0;
    default:
      return TWindow::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace bailan

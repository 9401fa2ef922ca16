#include "win32/installer/LedProgressBar.h"

#include <algorithm>

#include "win32/common/Handles.h"

namespace bailan {

TLedProgressBar::TLedProgressBar(HWND parent, RECT bounds) {
  CreateHandle({L"BailanLedProgressBar", WS_CHILD, 0, bounds, parent, 0, L"", nullptr});
}

void TLedProgressBar::SetTotalParts(std::int64_t value) {
  if (value == totalParts_) return;
  totalParts_ = value;
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TLedProgressBar::SetPartsComplete(std::int64_t value) {
  if (value == partsComplete_) return;
  partsComplete_ = value;
  InvalidateRect(Handle(), nullptr, FALSE);
}

int TLedProgressBar::LitSegments() const {
  if (totalParts_ <= 0 || partsComplete_ <= 0) return 0;
  const std::int64_t complete = std::min(partsComplete_, totalParts_);
  // complete * 60 cannot overflow: both sums are far below 2^57.
  return static_cast<int>(complete * kSegments / totalParts_);
}

void TLedProgressBar::Paint() {
  TPaintDc paint(Handle());
  RECT client;
  GetClientRect(Handle(), &client);
  FillRect(paint.Get(), &client, GetSysColorBrush(COLOR_BTNFACE));
  const int width = client.right;
  const int lit = LitSegments();
  for (int i = 0; i < lit; ++i) {
    const int left = i * width / kSegments;
    const int right = (i + 1) * width / kSegments - kSegmentGap;
    if (right <= left) continue;
    const RECT segment{left, kSegmentInset, right, client.bottom - kSegmentInset};
    FillRect(paint.Get(), &segment, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
}

LRESULT TLedProgressBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_NCHITTEST:
      return HTCLIENT;  // a press on the bar does not drag the window
    default:
      return TWindow::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace bailan

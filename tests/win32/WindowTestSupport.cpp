#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include "platform/Cp936.h"
#include "win32/common/Handles.h"
#include "win32/common/MessagePump.h"
#include "win32/common/Pictures.h"

namespace bailan::test {

TBoxes::TBoxes() {
  SetMessageSeam([this](const TMessageRequest& request) {
    Shown.push_back(request);
    return Answer;
  });
}

TBoxes::~TBoxes() {
  FailUnexpectedBoxes();
}

void FailUnexpectedBoxes() {
  SetMessageSeam([](const TMessageRequest& request) {
    ADD_FAILURE() << "unexpected message box: " << Cp936ToUtf8(request.Caption) << ": "
                  << Cp936ToUtf8(request.Text);
    return mbOK;
  });
}

TCapture::TCapture(HWND window) {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  width_ = bounds.right - bounds.left;
  height_ = bounds.bottom - bounds.top;
  void* bits = nullptr;
  TBitmap dib = CreateDib(width_, height_, &bits);
  TMemoryDc memory(CreateCompatibleDC(nullptr));
  {
    TSelection selected(memory.Get(), dib.Get());
    TWindowDc source(window);
    BitBlt(memory.Get(), 0, 0, width_, height_, source.Get(), 0, 0, SRCCOPY);
    GdiFlush();
  }
  const auto* first = static_cast<const DWORD*>(bits);
  pixels_.assign(first, first + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
}

COLORREF TCapture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return CLR_INVALID;
  const DWORD bgra =
      pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
  return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

int TCapture::CountOtherThan(RECT rect, COLORREF background) const {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) count += At(x, y) != background ? 1 : 0;
  }
  return count;
}

void Settle() {
  constexpr int kPasses = 5;  // posted messages may post more
  for (int pass = 0; pass < kPasses; ++pass) {
    ProcessMessages(true);
    Sleep(10);
  }
}

RECT BoundsIn(HWND control, HWND ancestor) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, ancestor, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace bailan::test

#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win32/common/MessageBox.h"

namespace bailan::test {

// Answers every message box the test did not expect with a failure: no real
// box may wait for a user in a test run.
void FailUnexpectedBoxes();

// Records every message box and answers it; unexpected boxes fail again when
// it goes.
struct TBoxes {
  std::vector<TMessageRequest> Shown;
  int Answer = mbOK;
  TBoxes();
  ~TBoxes();
  TBoxes(const TBoxes&) = delete;
  TBoxes& operator=(const TBoxes&) = delete;
};

// The pixels of a window as it shows them, read back through a DC copy into a
// 32-bit DIB section.
class TCapture {
 public:
  explicit TCapture(HWND window);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The colour at (x, y) of the window, as RGB().
  COLORREF At(int x, int y) const;
  // How many pixels of `rect` differ from `background`.
  int CountOtherThan(RECT rect, COLORREF background) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<DWORD> pixels_;
};

// Runs the pending messages of the test's thread a few times over, so that
// posted and paint messages have all been handled.
void Settle();

// A control's rectangle relative to `ancestor`'s client area.
RECT BoundsIn(HWND control, HWND ancestor);

}  // namespace bailan::test

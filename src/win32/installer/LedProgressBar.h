#pragma once

#include <cstdint>

#include "win32/common/Window.h"

namespace bailan {

// A segmented progress bar in LED style: kSegments segments, lit in the
// highlight colour on the button face in proportion to parts complete over
// total parts; no text, no frame.
class TLedProgressBar : public TWindow {
 public:
  static constexpr int kSegments = 60;
  static constexpr int kSegmentGap = 2;    // pixels of button face between two lit segments
  static constexpr int kSegmentInset = 2;  // pixels above and below the lit segments

  // A hidden child of `parent`, owned by this object. GUI thread only.
  TLedProgressBar(HWND parent, RECT bounds);

  void SetTotalParts(std::int64_t value);
  void SetPartsComplete(std::int64_t value);
  std::int64_t TotalParts() const { return totalParts_; }
  std::int64_t PartsComplete() const { return partsComplete_; }
  // Segments lit now: 0 to kSegments.
  int LitSegments() const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  std::int64_t totalParts_ = 100;
  std::int64_t partsComplete_ = 0;
};

}  // namespace bailan

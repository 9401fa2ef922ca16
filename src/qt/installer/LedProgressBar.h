#pragma once

#include <QWidget>
#include <cstdint>

namespace bailan {

// A segmented progress bar in LED style: kSegments segments, lit in the
// highlight colour on the button-face colour in proportion to PartsComplete over
// TotalParts; no text, no frame. The parts are 64-bit, so sums of resources of
// 2 GiB and more show their true share.
class TLedProgressBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kSegments = 60;
  static constexpr int kSegmentGap = 2;  // pixels of button face between two lit segments

  // Owned by `parent`; GUI thread only.
  explicit TLedProgressBar(QWidget* parent = nullptr);

  std::int64_t TotalParts() const { return totalParts_; }
  std::int64_t PartsComplete() const { return partsComplete_; }
  void SetTotalParts(std::int64_t value);
  void SetPartsComplete(std::int64_t value);
  // Segments lit for the current parts (0 when the total is not positive).
  int LitSegments() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::int64_t totalParts_ = 0;
  std::int64_t partsComplete_ = 0;
};

}  // namespace bailan

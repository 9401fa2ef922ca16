#include "qt/installer/LedProgressBar.h"

#include <QPainter>
#include <algorithm>

namespace bailan {

TLedProgressBar::TLedProgressBar(QWidget* parent) : QWidget(parent) {}

void TLedProgressBar::SetTotalParts(std::int64_t value) {
  if (value == totalParts_) return;
  totalParts_ = value;
  update();
}

void TLedProgressBar::SetPartsComplete(std::int64_t value) {
  if (value == partsComplete_) return;
  partsComplete_ = value;
  update();
}

int TLedProgressBar::LitSegments() const {
  if (totalParts_ <= 0 || partsComplete_ <= 0) return 0;
  const std::int64_t complete = std::min(partsComplete_, totalParts_);
  // complete * 60 cannot overflow: both sums are far below 2^57.
  return static_cast<int>(complete * kSegments / totalParts_);
}

void TLedProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  const int lit = LitSegments();
  const QColor highlight = palette().color(QPalette::Highlight);
  for (int i = 0; i < lit; ++i) {
    const int left = i * width() / kSegments;
    const int right = (i + 1) * width() / kSegments - kSegmentGap;
    if (right > left) painter.fillRect(QRect(left, 2, right - left, height() - 4), highlight);
  }
}

}  // namespace bailan

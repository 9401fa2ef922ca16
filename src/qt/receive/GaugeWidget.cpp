#include "qt/receive/GaugeWidget.h"

#include <QPainter>
#include <algorithm>

#include "engine/DownloadJob.h"

namespace bailan {
namespace {

QColor FromColorRef(std::uint32_t color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

}  // namespace

TGaugeWidget::TGaugeWidget(std::shared_ptr<TDownloadJob> job, QWidget* parent)
    : QWidget(parent), job_(std::move(job)) {
  setGeometry(0, 0, 0, 0);
  job_->Gauge.Width = job_->Gauge.Height = 0;
}

void TGaugeWidget::Place(const QRect& rect) {
  TGauge& gauge = job_->Gauge;
  gauge.Left = rect.left();
  gauge.Top = rect.top();
  gauge.Width = rect.width();
  gauge.Height = rect.height();
  gauge.Visible = true;
  setGeometry(rect);
  show();
}

void TGaugeWidget::Conceal() {
  job_->Gauge.Visible = false;
  hide();
}

void TGaugeWidget::paintEvent(QPaintEvent*) {
  const TGauge& gauge = job_->Gauge;
  QPainter painter(this);
  painter.fillRect(rect(), FromColorRef(gauge.BackColor));
  const std::int64_t range = std::int64_t{gauge.MaxValue} - gauge.MinValue;
  const std::int64_t done = std::clamp<std::int64_t>(std::int64_t{gauge.Progress} - gauge.MinValue, 0, range);
  const int percent = range > 0 ? static_cast<int>(done * 100 / range) : 0;
  const int filled = range > 0 ? static_cast<int>(done * width() / range) : 0;
  painter.fillRect(QRect(0, 0, filled, height()), FromColorRef(gauge.ForeColor));
  if (gauge.ShowText) painter.drawText(rect(), Qt::AlignCenter, QString::number(percent) + '%');
}

}  // namespace bailan

#pragma once

#include <QWidget>
#include <memory>

namespace bailan {

class TDownloadJob;

// A job's progress gauge over its grid row: paints the job's gauge model (its
// colours, range, progress and whether the percentage shows as text). It keeps
// the job alive while it exists. GUI thread only.
class TGaugeWidget : public QWidget {
  Q_OBJECT

 public:
  // Owned by `parent` (the grid's viewport); created with zero size.
  TGaugeWidget(std::shared_ptr<TDownloadJob> job, QWidget* parent);

  const std::shared_ptr<TDownloadJob>& Job() const { return job_; }
  // Places the widget (and the model) at `rect`, or hides both.
  void Place(const QRect& rect);
  void Conceal();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::shared_ptr<TDownloadJob> job_;
};

}  // namespace bailan

#pragma once

#include <QPixmap>
#include <QWidget>

namespace bailan {

// A button that is only a picture: it paints its picture at (0, 0), reports
// clicks of the left button and every mouse move over it (for the hover flash),
// and shows the hand cursor.
class TPictureButton : public QWidget {
  Q_OBJECT

 public:
  // Owned by `parent` (Qt ownership); GUI thread only.
  explicit TPictureButton(QWidget* parent = nullptr);

  const QPixmap& Picture() const { return picture_; }
  void SetPicture(const QPixmap& picture);

 signals:
  void clicked();
  void mouseMoved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QPixmap picture_;
  bool pressed_ = false;
};

}  // namespace bailan

#include "qt/installer/PictureButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace bailan {

TPictureButton::TPictureButton(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::PointingHandCursor);
  setMouseTracking(true);
}

void TPictureButton::SetPicture(const QPixmap& picture) {
  picture_ = picture;
  update();
}

void TPictureButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, picture_);
}

void TPictureButton::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
}

void TPictureButton::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  if (click) emit clicked();
}

void TPictureButton::mouseMoveEvent(QMouseEvent*) {
  emit mouseMoved();
}

}  // namespace bailan

#include "qt/installer/PictureStrip.h"

namespace bailan {

QPixmap PictureSlot(const QString& resource, int index, QSize size) {
  const QPixmap strip(resource);
  const QRect slot(index * size.width(), 0, size.width(), size.height());
  if (index < 0 || !strip.rect().contains(slot)) return QPixmap();
  return strip.copy(slot);
}

}  // namespace bailan

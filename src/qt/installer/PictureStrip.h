#pragma once

#include <QPixmap>
#include <QString>

namespace bailan {

// A picture list kept as one strip of equal slots side by side: slot `index` of
// `size` from the strip at `resource`; an empty pixmap for a slot outside it.
QPixmap PictureSlot(const QString& resource, int index, QSize size);

}  // namespace bailan

#include "qt/receive/JobGridDelegate.h"

#include <QPainter>

#include "engine/DownloadJob.h"
#include "qt/installer/PictureStrip.h"

namespace bailan {

TJobGridDelegate::TJobGridDelegate(std::function<int(int row)> statusOf, int headerHeight, QObject* parent)
    : QStyledItemDelegate(parent), statusOf_(std::move(statusOf)), headerHeight_(headerHeight) {}

void TJobGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const bool selected = option.state & QStyle::State_Selected;
  const QBrush brush = selected ? option.palette.highlight() : option.palette.base();
  const QRect cell = option.rect;
  const int column = index.column();
  painter->save();
  painter->fillRect(cell, brush);
  if (column == kColumnStatus) {
    const int status = statusOf_(index.row() + 1);
    if (status >= 0) {
      const QPixmap icon = PictureSlot(":/assets/status.png", status, QSize(kIconSize, kIconSize));
      painter->drawPixmap(cell.left() + (cell.width() - kIconSize) / 2,
                          cell.top() + (cell.height() - kIconSize) / 2, icon);
    }
  } else if (column < kGridColumns) {
    const QString text = index.data(Qt::DisplayRole).toString();
    const QFontMetrics metrics(option.font);
    const int textWidth = metrics.horizontalAdvance(text);
    // Placed by the header row's height, as the grid's rows all share it.
    const int top = cell.top() + (headerHeight_ - metrics.height()) / 2;
    const int left =
        column == kColumnSize ? cell.right() + 1 - textWidth - kTextInset : cell.left() + kTextInset;
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(left, top + metrics.ascent(), text);
  }
  painter->restore();
}

}  // namespace bailan

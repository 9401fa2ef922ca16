#pragma once

#include <QStyledItemDelegate>
#include <functional>

namespace bailan {

// Draws the receiving grid's data cells: the grid's own background (the
// selected row in the highlight colours), then the cell again with that brush:
// the status icon centred in column 0, the size right-aligned with a 4-pixel
// inset in column 3, the other texts left-aligned with a 4-pixel inset.
class TJobGridDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  static constexpr int kTextInset = 4;
  static constexpr int kIconSize = 16;

  // `statusOf(row)` gives the status icon (the job's Running) of grid row `row`
  // (1-based), or -1 when no job stands there. Owned by `parent`.
  TJobGridDelegate(std::function<int(int row)> statusOf, int headerHeight, QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  std::function<int(int)> statusOf_;
  int headerHeight_;
};

}  // namespace bailan

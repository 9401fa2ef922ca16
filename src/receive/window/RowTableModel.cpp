#include "receive/window/RowTableModel.h"

#include "installer/QtText.h"
#include "receive/ReceiveLists.h"
#include "receive/RowTable.h"

namespace bailan {

TRowTableModel::TRowTableModel(std::shared_ptr<TReceiveLists> lists, QObject* parent)
    : QAbstractTableModel(parent), lists_(std::move(lists)) {
  dataRows_ = lists_->RowCount() - 1;
}

int TRowTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : dataRows_;
}

int TRowTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : TRowTable::kColumns;
}

QVariant TRowTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return ToQString(lists_->Cell(index.row() + 1, index.column()));
}

QVariant TRowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  return ToQString(lists_->Cell(0, section));
}

void TRowTableModel::Refresh() {
  const int rows = lists_->RowCount() - 1;
  if (rows > dataRows_) {
    beginInsertRows(QModelIndex(), dataRows_, rows - 1);
    dataRows_ = rows;
    endInsertRows();
  } else if (rows < dataRows_) {
    beginRemoveRows(QModelIndex(), rows, dataRows_ - 1);
    dataRows_ = rows;
    endRemoveRows();
  }
  if (dataRows_ > 0) emit dataChanged(index(0, 0), index(dataRows_ - 1, TRowTable::kColumns - 1));
}

}  // namespace bailan

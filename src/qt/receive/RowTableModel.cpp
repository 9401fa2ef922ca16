#include "qt/receive/RowTableModel.h"

#include "qt/installer/QtText.h"
#include "receive/ReceiveLists.h"
#include "receive/RowTable.h"

namespace bailan {

namespace {

TGridTable JobTable(std::shared_ptr<TReceiveLists> lists) {
  return {[lists](int row, int column) { return lists->Cell(row, column); },
          [lists] { return lists->RowCount(); }, TRowTable::kColumns};
}

}  // namespace

TRowTableModel::TRowTableModel(std::shared_ptr<TReceiveLists> lists, QObject* parent)
    : TRowTableModel(JobTable(std::move(lists)), parent) {}

TRowTableModel::TRowTableModel(TGridTable table, QObject* parent)
    : QAbstractTableModel(parent), table_(std::move(table)) {
  dataRows_ = table_.RowCount() - 1;
}

int TRowTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : dataRows_;
}

int TRowTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.Columns;
}

QVariant TRowTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return ToQString(table_.Cell(index.row() + 1, index.column()));
}

QVariant TRowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  return ToQString(table_.Cell(0, section));
}

void TRowTableModel::Refresh() {
  const int rows = table_.RowCount() - 1;
  if (rows > dataRows_) {
    beginInsertRows(QModelIndex(), dataRows_, rows - 1);
    dataRows_ = rows;
    endInsertRows();
  } else if (rows < dataRows_) {
    beginRemoveRows(QModelIndex(), rows, dataRows_ - 1);
    dataRows_ = rows;
    endRemoveRows();
  }
  if (dataRows_ > 0) emit dataChanged(index(0, 0), index(dataRows_ - 1, table_.Columns - 1));
}

}  // namespace bailan

#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <memory>
#include <string>

namespace bailan {

class TReceiveLists;

// A grid's table of texts as the model reads it: the texts of a cell (row 0 the
// headers), the row count with the header row, and the column count.
struct TGridTable {
  std::function<std::string(int row, int column)> Cell;
  std::function<int()> RowCount;
  int Columns = 0;
};

// A grid's row table as a Qt model: row 0 of the table gives the header texts,
// data row r (r >= 1) is model row r - 1. Texts are read from the table under
// its lock at each request; the row count is taken over only by Refresh() on the
// GUI thread, so a completion on a transfer thread never changes the model under
// the view's feet.
class TRowTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The receiving grid's table of `lists`, which must outlive the model; owned
  // by `parent`.
  TRowTableModel(std::shared_ptr<TReceiveLists> lists, QObject* parent);
  // Any table; what its functions read must outlive the model.
  TRowTableModel(TGridTable table, QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Takes over the table's current row count and announces changed texts.
  void Refresh();

 private:
  TGridTable table_;
  int dataRows_ = 1;
};

}  // namespace bailan

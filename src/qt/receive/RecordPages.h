#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "receive/ReceiveLists.h"
#include "receive/RecordCommands.h"

class QAction;
class QMenu;
class QTableView;
class QWidget;

namespace bailan {

class TRowTableModel;
struct TReceiveArea;

// The received and recycle pages of the receive area: StringGrid2 ("已接收") with
// its menu PM2 and StringGrid3 ("回收站") with PM3. A grid is filled from its list
// when its page becomes active; the commands open a received file or its folder,
// receive it again, delete it into the recycle list and restore it from there.
class TRecordPages : public QObject {
  Q_OBJECT

 public:
  static constexpr int kPageReceived = 1;
  static constexpr int kPageRecycle = 2;
  static constexpr int kReceivedIcon = 2;  // of the status pictures
  static constexpr int kRecycledIcon = 3;

  // Builds both grids (with the look of the area's StringGrid1) and their menus
  // on the area's pages of `window`, which owns them and this object (Qt parent)
  // and the message boxes. `lists` is the window's model; `jobsChanged` runs after
  // a job row was added to the receiving grid. GUI thread only.
  TRecordPages(std::shared_ptr<TReceiveLists> lists, const TReceiveArea& area, QWidget* window,
               std::function<void()> jobsChanged);

  QTableView* StringGrid2 = nullptr;
  QTableView* StringGrid3 = nullptr;
  QMenu* PM2 = nullptr;
  QAction* pmiOpen = nullptr;
  QAction* pmiOpenDir = nullptr;
  QAction* N6 = nullptr;
  QAction* pmiReReceive = nullptr;
  QAction* pmiDelete = nullptr;
  QMenu* PM3 = nullptr;
  QAction* N5 = nullptr;

  // Fills the grid of the page now active: index 1 the received, 2 the recycle
  // page; any other index does nothing.
  void RzPgCtrl_MainChange(int index);
  void pmiOpenClick();
  void pmiOpenDirClick();
  void pmiReReceiveClick();
  void pmiDeleteClick();
  void N5Click();
  // The selected row (1-based) of a grid; 1 when no cell is current.
  static int SelectedRow(const QTableView* grid);

 private:
  QTableView* AddGrid(const char* name, TRecordPage page, QWidget* sheet, const QTableView& look);
  QMenu* AddMenu(const char* name, QTableView* grid);
  QAction* AddItem(QMenu* menu, const char* name, const char* caption, void (TRecordPages::*handler)());
  // The selected row of the page's grid when it lies within the page's list, else 0.
  int SelectedRecordRow(TRecordPage page) const;
  // The selected record of the received grid, if its row is within the list.
  std::optional<TReceivedRec> SelectedReceived() const;
  // Asks a question with Yes as the default; true when answered Yes.
  bool Confirm(const std::string& question) const;
  bool Run(TRecordCommand command, TRecordPage page);
  void Refresh(TRecordPage page);

  std::shared_ptr<TReceiveLists> lists_;
  QWidget* window_;
  std::function<void()> jobsChanged_;
  TRowTableModel* receivedModel_ = nullptr;
  TRowTableModel* recycledModel_ = nullptr;
};

}  // namespace bailan

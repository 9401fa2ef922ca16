#include "qt/receive/RecordPages.h"

#include <QAction>
#include <QHeaderView>
#include <QLayout>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <utility>

#include "platform/Cp936.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "qt/installer/MessageBox.h"
#include "qt/installer/QtText.h"
#include "qt/receive/DesktopShell.h"
#include "qt/receive/FMain.h"
#include "qt/receive/JobGridDelegate.h"
#include "qt/receive/ReceiveArea.h"
#include "qt/receive/RowTableModel.h"
#include "receive/RecordRows.h"

namespace bailan {
namespace {

constexpr int kColumnWidths[kRecycleGridColumns] = {30, 120, 180, 80, 100, 120, 120, 120};
const char* const kHeaders[kRecycleGridColumns] = {"状态",     "发布时间", "资源名称", "资源大小",
                                                   "资源分类", "备注",     "接收时间", "删除时间"};

// A record page's table: its own headers in row 0, the lists' page table below.
TGridTable PageTable(std::shared_ptr<TReceiveLists> lists, TRecordPage page) {
  return {[lists, page](int row, int column) {
            if (row != 0) return lists->PageCell(page, row, column);
            return column >= 0 && column < kRecycleGridColumns ? Utf8ToCp936(kHeaders[column])
                                                               : std::string();
          },
          [lists, page] { return lists->PageRowCount(page); },
          page == TRecordPage::Received ? kReceivedGridColumns : kRecycleGridColumns};
}

// The grids of the record pages look and behave as the receiving grid does.
void CopyGridLook(const QTableView& look, QTableView& grid) {
  grid.setSelectionBehavior(look.selectionBehavior());
  grid.setSelectionMode(look.selectionMode());
  grid.setEditTriggers(look.editTriggers());
  grid.setVerticalScrollMode(look.verticalScrollMode());
  grid.setContextMenuPolicy(look.contextMenuPolicy());
  grid.setFrameShape(look.frameShape());
  grid.setShowGrid(look.showGrid());
  grid.verticalHeader()->setVisible(!look.verticalHeader()->isHidden());
  grid.verticalHeader()->setMinimumSectionSize(look.verticalHeader()->minimumSectionSize());
  grid.verticalHeader()->setDefaultSectionSize(look.verticalHeader()->defaultSectionSize());
  grid.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grid.horizontalHeader()->setHighlightSections(look.horizontalHeader()->highlightSections());
  grid.horizontalHeader()->setFixedHeight(look.horizontalHeader()->minimumHeight());
}

}  // namespace

TRecordPages::TRecordPages(std::shared_ptr<TReceiveLists> lists, const TReceiveArea& area, QWidget* window,
                           std::function<void()> jobsChanged)
    : QObject(window), lists_(std::move(lists)), window_(window), jobsChanged_(std::move(jobsChanged)) {
  StringGrid2 = AddGrid("StringGrid2", TRecordPage::Received, area.RzTbSht_Received, *area.StringGrid1);
  StringGrid3 = AddGrid("StringGrid3", TRecordPage::Recycled, area.RzTbSht_Recycle, *area.StringGrid1);
  receivedModel_ = static_cast<TRowTableModel*>(StringGrid2->model());
  recycledModel_ = static_cast<TRowTableModel*>(StringGrid3->model());

  PM2 = AddMenu("PM2", StringGrid2);
  pmiOpen = AddItem(PM2, "pmiOpen", "打开", &TRecordPages::pmiOpenClick);
  PM2->setDefaultAction(pmiOpen);
  pmiOpenDir = AddItem(PM2, "pmiOpenDir", "打开所在目录", &TRecordPages::pmiOpenDirClick);
  N6 = PM2->addSeparator();
  N6->setObjectName("N6");
  pmiReReceive = AddItem(PM2, "pmiReReceive", "重新接收", &TRecordPages::pmiReReceiveClick);
  pmiDelete = AddItem(PM2, "pmiDelete", "删除", &TRecordPages::pmiDeleteClick);
  PM3 = AddMenu("PM3", StringGrid3);
  N5 = AddItem(PM3, "N5", "还原", &TRecordPages::N5Click);

  connect(StringGrid2, &QTableView::doubleClicked, pmiOpen, &QAction::trigger);
  connect(area.RzPgCtrl_Main, &QTabWidget::currentChanged, this,
          [this](int index) { RunHandler(window_, [this, index] { RzPgCtrl_MainChange(index); }); });
}

QTableView* TRecordPages::AddGrid(const char* name, TRecordPage page, QWidget* sheet,
                                  const QTableView& look) {
  auto* grid = new QTableView(sheet);
  grid->setObjectName(name);
  CopyGridLook(look, *grid);
  grid->setModel(new TRowTableModel(PageTable(lists_, page), grid));
  const int icon = page == TRecordPage::Received ? kReceivedIcon : kRecycledIcon;
  grid->setItemDelegate(new TJobGridDelegate(
      [lists = lists_, page, icon](int row) { return row <= lists->PageRecordCount(page) ? icon : -1; },
      TFMain::kRowHeight, grid));
  for (int column = 0; column < grid->model()->columnCount(); ++column)
    grid->setColumnWidth(column, kColumnWidths[column] + TFMain::kGridLine);
  sheet->layout()->addWidget(grid);
  return grid;
}

QMenu* TRecordPages::AddMenu(const char* name, QTableView* grid) {
  auto* menu = new QMenu(window_);
  menu->setObjectName(name);
  connect(grid, &QWidget::customContextMenuRequested, menu,
          [menu, grid](const QPoint& at) { menu->popup(grid->viewport()->mapToGlobal(at)); });
  return menu;
}

QAction* TRecordPages::AddItem(QMenu* menu, const char* name, const char* caption,
                               void (TRecordPages::*handler)()) {
  QAction* item = menu->addAction(Ui(caption));
  item->setObjectName(name);
  connect(item, &QAction::triggered, this,
          [this, handler] { RunHandler(window_, [this, handler] { (this->*handler)(); }); });
  return item;
}

void TRecordPages::RzPgCtrl_MainChange(int index) {
  if (index == kPageReceived) {
    lists_->FillPage(TRecordPage::Received);
    receivedModel_->Refresh();
  } else if (index == kPageRecycle) {
    lists_->FillPage(TRecordPage::Recycled);
    recycledModel_->Refresh();
  }
}

int TRecordPages::SelectedRow(const QTableView* grid) {
  const QModelIndex current = grid->currentIndex();
  return current.isValid() ? current.row() + 1 : 1;
}

int TRecordPages::SelectedRecordRow(TRecordPage page) const {
  const int row = SelectedRow(page == TRecordPage::Received ? StringGrid2 : StringGrid3);
  return row >= 1 && row <= lists_->PageRecordCount(page) ? row : 0;
}

std::optional<TReceivedRec> TRecordPages::SelectedReceived() const {
  const int row = SelectedRecordRow(TRecordPage::Received);
  if (row == 0) return std::nullopt;
  return lists_->ReceivedList()[row - 1];  // only this thread takes records out
}

bool TRecordPages::Confirm(const char* question) const {
  return ShowMessageBox(
             {window_, Ui(question), Ui("确认信息"), TMessageIcon::Question, mbYes | mbNo, mbYes}) == mbYes;
}

void TRecordPages::Refresh(TRecordPage page) {
  (page == TRecordPage::Received ? receivedModel_ : recycledModel_)->Refresh();
}

void TRecordPages::pmiOpenClick() {
  const std::optional<TReceivedRec> record = SelectedReceived();
  if (!record) return;
  // FileExists and ShellOpen spell the path for the host alike (ToHostPath):
  // the file checked is the file opened, whatever bytes its name holds.
  const std::string path = ReceivedFilePath(*record);
  if (FileExists(path)) {
    ShellOpen(path);
  } else {
    ShowMessageBox({window_, Ui("资源文件已经被移除！"), Ui("警告信息"), TMessageIcon::Warning, mbOK, mbOK});
  }
}

void TRecordPages::pmiOpenDirClick() {
  if (const std::optional<TReceivedRec> record = SelectedReceived()) ShellOpen(record->SavePath.Get());
}

// The row is taken before the question: the answer applies to the record asked
// about, whatever the grid shows when the box closes.
void TRecordPages::pmiReReceiveClick() {
  const int row = SelectedRecordRow(TRecordPage::Received);
  if (row == 0 || !Confirm("是否确定重新接收此资源？")) return;
  lists_->ReceiveAgain(row - 1);
  Refresh(TRecordPage::Received);
  if (jobsChanged_) jobsChanged_();
}

void TRecordPages::pmiDeleteClick() {
  const int row = SelectedRecordRow(TRecordPage::Received);
  if (row == 0 || !Confirm("是否确定删除此资源？")) return;
  lists_->DeleteReceived(row - 1);
  Refresh(TRecordPage::Received);
}

void TRecordPages::N5Click() {
  const int row = SelectedRecordRow(TRecordPage::Recycled);
  if (row == 0 || !Confirm("是否确定还原此资源？")) return;
  lists_->RestoreRecycled(row - 1);
  Refresh(TRecordPage::Recycled);
}

}  // namespace bailan

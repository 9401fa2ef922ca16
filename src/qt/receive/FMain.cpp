#include "qt/receive/FMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>

#include "engine/DownloadJob.h"
#include "platform/Cp936.h"
#include "platform/Launcher.h"
#include "platform/Path.h"
#include "platform/Tick.h"
#include "qt/installer/HandlerConnection.h"
#include "qt/installer/MessageBox.h"
#include "qt/installer/QtText.h"
#include "qt/receive/GaugeWidget.h"
#include "qt/receive/JobGridDelegate.h"
#include "qt/receive/RecordPages.h"
#include "qt/receive/RowTableModel.h"
#include "receive/GlobalTexts.h"
#include "receive/InstallCompletion.h"
#include "receive/JobCommands.h"
#include "receive/ManifestFetch.h"
#include "receive/ManifestJobs.h"
#include "receive/ProgressTick.h"
#include "receive/ReceiveLists.h"
#include "receive/StopWait.h"
#include "transport/http/AntiFreeze.h"
#include "ui_MainForm.h"

namespace bailan {
namespace {

constexpr int kGaugeInsetX = 2, kGaugeInsetY = 4;
constexpr int kGaugeColumnsFromRight = 4;  // the gauges lie in the fourth column from the right
const char* const kHeaders[kGridColumns] = {"状态", "发布时间", "资源名称", "资源大小",
                                            "进度", "速度",     "剩余时间", "用时"};

}  // namespace

TFMain::TFMain(QWidget* parent)
    : TMainForm(parent),
      lists_(TReceiveLists::Create()),
      area_(TReceiveArea::Build(this)),
      model_(new TRowTableModel(lists_, this)),
      dwonLabel_(new QLabel(Ui("完成进度"), Form()->Page2Bottom)),
      timer1_(new QTimer(this)),
      trayIcon_(new QSystemTrayIcon(this)),
      antiFreeze_(std::make_unique<TAntiFreeze>([](bool allPending) {
        if (allPending) {
          QCoreApplication::processEvents();
        } else {
          QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
      })) {
  setWindowTitle(Ui("柏岚安装程序"));
  // One icon for the window and the tray: its picture is decoded once.
  const QIcon icon(QStringLiteral(":/assets/app.png"));
  setWindowIcon(icon);
  trayIcon_->setIcon(icon);
  dwonLabel_->setObjectName("DwonLabel");
  dwonLabel_->setGeometry(217, 14, 153, 12);
  dwonLabel_->setAlignment(Qt::AlignCenter);
  timer1_->setInterval(kTimer1Interval);
  ShowPic()->setInterval(kShowPicInterval);
  trayIcon_->setToolTip(Ui("柏岚软件安装程序"));
  if (QSystemTrayIcon::isSystemTrayAvailable()) trayIcon_->show();
  FormCreate();
  ConnectReceiveHandlers();
  recordPages_ = new TRecordPages(lists_, area_, this, [this] { RepaintGrid(); });
  area_.ShutOutTheUser();
}

// Jobs listed after the close (an install click whose fetch outlasted it)
// are released here all the same.
TFMain::~TFMain() {
  FormClose();
}

void TFMain::FormCreate() {
  QTableView* grid = area_.StringGrid1;
  grid->setModel(model_);
  grid->setItemDelegate(new TJobGridDelegate(
      [this](int row) {
        const auto job = JobAt(row);
        return job ? static_cast<int>(job->Running) : -1;
      },
      kRowHeight, grid));
  for (int column = 0; column < kGridColumns; ++column) {
    lists_->SetCell(0, column, Utf8ToCp936(kHeaders[column]));
    grid->setColumnWidth(column, kColumnWidths[column] + kGridLine);
  }
  grid->verticalHeader()->setMinimumSectionSize(1);
  grid->verticalHeader()->setDefaultSectionSize(kRowHeight + kGridLine);
  grid->horizontalHeader()->setFixedHeight(kRowHeight + kGridLine);
  grid->viewport()->installEventFilter(this);
  model_->Refresh();
}

void TFMain::ConnectReceiveHandlers() {
  ConnectHandler(area_.BtnPlay, &QAction::triggered, this, &TFMain::StartAllJobs);
  ConnectHandler(area_.BtnPause, &QAction::triggered, this, &TFMain::BtnPauseClick);
  ConnectHandler(area_.BtnExit, &QAction::triggered, this, &TFMain::BtnExitClick);
  ConnectHandler(area_.N1, &QAction::triggered, this, &TFMain::StartSelectedJob);
  ConnectHandler(area_.N2, &QAction::triggered, this, &TFMain::StopSelectedJob);
  QTableView* grid = area_.StringGrid1;
  ConnectHandler(grid, &QTableView::clicked, this, &TFMain::StringGrid1Click);
  ConnectHandler(grid, &QTableView::doubleClicked, this, &TFMain::StringGrid1DblClick);
  connect(grid, &QWidget::customContextMenuRequested, this,
          [this, grid](const QPoint& at) { area_.PM1->popup(grid->viewport()->mapToGlobal(at)); });
  connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &TFMain::StringGrid1TopLeftChanged);
  connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, &TFMain::StringGrid1TopLeftChanged);
  connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, &TFMain::StringGrid1TopLeftChanged);
  ConnectHandler(timer1_, &QTimer::timeout, this, &TFMain::Timer1Timer);
  connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason != QSystemTrayIcon::DoubleClick) return;
    showNormal();
    raise();
    activateWindow();
  });
}

std::shared_ptr<TDownloadJob> TFMain::JobAt(int row) const {
  return lists_->JobAtRow(row);
}

int TFMain::SelectedRow() const {
  const QModelIndex current = area_.StringGrid1->currentIndex();
  return current.isValid() ? current.row() + 1 : 1;
}

void TFMain::AddToDownLoadList() {
  const TIniFile* manifest = ManifestIni();
  // The window may have been closed while the fetch kept it answering.
  if (manifest == nullptr || closed_) return;
  bailan::AddToDownLoadList(*lists_, *manifest, FromQString(Form()->InstallPath->text()), ProductName());
  RefreshGrid();
}

void TFMain::ClickBtnPlay() {
  area_.BtnPlay->trigger();
}

void TFMain::EnableProgressTimer() {
  if (!closed_) timer1_->start();
}

void TFMain::RepaintGrid() {
  RefreshGrid();
  area_.StringGrid1->viewport()->update();
}

void TFMain::StartAllJobs() {
  bailan::StartAllJobs(*lists_);
  RepaintGrid();
}

void TFMain::StartSelectedJob() {
  if (StartJobAtRow(*lists_, SelectedRow())) RepaintGrid();
}

void TFMain::StopAllJobs() {
  bailan::StopAllJobs(*lists_, PumpSlice);
  RepaintGrid();
}

void TFMain::StopSelectedJob() {
  if (StopJobAtSelectedRow(
          *lists_, [this] { return SelectedRow(); }, PumpSlice))
    RepaintGrid();
}

// One slice of a stop wait: the window's events go on meanwhile.
void TFMain::PumpSlice() {
  QEventLoop slice;
  QTimer::singleShot(kStopWaitSliceMs, &slice, &QEventLoop::quit);
  slice.exec();
}

void TFMain::BtnPauseClick() {
  if (ShowMessageBox({this, Ui("是否暂停所有接收任务？"), Ui("确认信息"), TMessageIcon::Question,
                      mbYes | mbNo, mbNo}) == mbYes) {
    StopAllJobs();
  }
}

void TFMain::BtnExitClick() {
  close();
}

void TFMain::StringGrid1Click() {
  const auto job = JobAt(SelectedRow());
  if (!job) return;
  QStringList lines;
  for (const std::string& line : job->Log.Lines()) lines << ToQString(line);
  area_.RzRchEdt_JobInfo->setPlainText(lines.join('\n'));
}

void TFMain::StringGrid1DblClick() {
  const auto job = JobAt(SelectedRow());
  if (!job) return;
  if (job->Running == 0) {
    StartSelectedJob();
  } else if (job->Running == 1) {
    StopSelectedJob();
  }
}

void TFMain::Timer1Timer() {
  const TProgressTick tick = TickJobs(*lists_);
  Form()->ProgressBar->SetTotalParts(tick.Total);
  Form()->ProgressBar->SetPartsComplete(tick.Received);
  dwonLabel_->setText(ToQString(ProgressCaption(tick)));
  RefreshGrid();
  for (const auto& [job, gauge] : gauges_) gauge->update();
  if (tick.NoJobLeft) CompleteInstallation();
}

void TFMain::CompleteInstallation() {
  Form()->Setup3UI->click();
  timer1_->stop();
  WriteAndStartLauncher(FromQString(Form()->InstallPath->text()), ProductName());
  ShowMessageBox({this, Ui("安装完成！"), Ui("柏岚软件"), TMessageIcon::Information, mbOK, mbOK});
  close();
}

int TFMain::ColumnWidth(int column) const {
  return area_.StringGrid1->columnWidth(column) - kGridLine;
}

int TFMain::VisibleRowCount() const {
  return area_.StringGrid1->viewport()->height() / (kRowHeight + kGridLine);
}

void TFMain::RefreshGrid() {
  model_->Refresh();
  const auto jobs = lists_->JobList();
  // Gauges of jobs that left the list go; a gauge keeps its job alive until then.
  for (auto it = gauges_.begin(); it != gauges_.end();) {
    const bool listed =
        std::any_of(jobs.begin(), jobs.end(), [&](const auto& job) { return job.get() == it->first; });
    if (listed) {
      ++it;
    } else {
      delete it->second;
      it = gauges_.erase(it);
    }
  }
  for (const auto& job : jobs) {
    if (!gauges_.count(job.get())) gauges_[job.get()] = new TGaugeWidget(job, area_.StringGrid1->viewport());
  }
  StringGrid1TopLeftChanged();
}

void TFMain::StringGrid1TopLeftChanged() {
  QTableView* grid = area_.StringGrid1;
  const int row = std::max(0, grid->rowAt(0));
  const int column = std::max(0, grid->columnAt(0));
  QRect cell = grid->visualRect(model_->index(row, column));
  cell.setSize(QSize(ColumnWidth(column), kRowHeight));
  PlaceGauges(column, row + 1, cell);
}

void TFMain::PlaceGauges(int column, int row, QRect rect) {
  while (column < kGridColumns - kGaugeColumnsFromRight) {
    rect.translate(ColumnWidth(column) + kGridLine, 0);
    ++column;
  }
  rect.setWidth(ColumnWidth(column));
  rect.adjust(kGaugeInsetX, kGaugeInsetY, -kGaugeInsetX, -kGaugeInsetY);
  const int visible = VisibleRowCount();
  const auto jobs = lists_->JobList();
  for (int i = 0; i < static_cast<int>(jobs.size()); ++i) {
    const auto found = gauges_.find(jobs[static_cast<std::size_t>(i)].get());
    if (found == gauges_.end()) continue;
    if (i < row - 1 || i >= row + visible) {
      found->second->Conceal();
    } else {
      found->second->Place(rect);
      rect.translate(0, kRowHeight + kGridLine);
    }
  }
}

bool TFMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == area_.StringGrid1->viewport() && event->type() == QEvent::Resize)
    StringGrid1TopLeftChanged();
  return TMainForm::eventFilter(watched, event);
}

void TFMain::ShowTrayBalloon(const QString& title, const QString& text, int timeoutMs) {
  // showMessage replaces a balloon that is still showing.
  if (QSystemTrayIcon::isSystemTrayAvailable() && QSystemTrayIcon::supportsMessages()) {
    trayIcon_->showMessage(title, text, QSystemTrayIcon::Information, timeoutMs);
  }
  emit balloonShown(title, text, timeoutMs);
}

void TFMain::changeEvent(QEvent* event) {
  TMainForm::changeEvent(event);
  // Minimised, the window shows only as the tray icon; without a tray it stays
  // on the task bar, or the user could never bring it back.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && trayIcon_->isVisible()) {
    QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
  }
}

bool TFMain::FormCloseQuery() {
  if (!AnyJobRunning(*lists_)) return true;
  if (ShowMessageBox({this, Ui("软件正在安装,是否退出安装？"), Ui("确认信息"), TMessageIcon::Question,
                      mbYes | mbNo, mbNo}) != mbYes) {
    return false;
  }
  StopRunningJobs(*lists_, PumpSlice);
  return true;
}

void TFMain::closeEvent(QCloseEvent* event) {
  // A close asked for while the query waits (its loop keeps the window
  // answering) is refused: the first query decides.
  if (closeQueryRunning_ || closed_) {
    event->setAccepted(closed_);
    return;
  }
  closeQueryRunning_ = true;
  const bool mayClose = FormCloseQuery();
  closeQueryRunning_ = false;
  if (!mayClose) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

// Releases every job still listed. A job whose transfer is still going after
// the waits is kept alive by its own thread, which finishes on it; the window
// no longer takes part (the job's host reference is weak). Before the program
// ends, every run is asked to stop and given the stop wait once more.
void TFMain::FormClose() {
  closed_ = true;
  timer1_->stop();
  ShowPic()->stop();
  for (auto& [job, gauge] : gauges_) delete gauge;
  gauges_.clear();
  ReleaseJobsAndWait(*lists_);
  model_->Refresh();
}

}  // namespace bailan

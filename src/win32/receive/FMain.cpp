#include "win32/receive/FMain.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <string>

#include "engine/DownloadJob.h"
#include "platform/Cp936.h"
#include "receive/GlobalTexts.h"
#include "receive/InstallCompletion.h"
#include "receive/ManifestFetch.h"
#include "receive/ManifestJobs.h"
#include "receive/ProgressTick.h"
#include "receive/ReceiveLists.h"
#include "receive/StopWait.h"
#include "win32/common/Controls.h"
#include "win32/common/MessageBox.h"
#include "win32/common/MessagePump.h"
#include "win32/common/Pictures.h"
#include "win32/common/WideText.h"
#include "win32/resources/Resources.h"

namespace bailan {
namespace {

constexpr DWORD kPumpSliceMs = 5;  // a stop wait looks at its job this often
constexpr COLORREF kDwonLabelColour = RGB(11, 73, 125);
const RECT kDwonLabelBounds{217, 14, 217 + 153, 14 + 12};
const char* const kHeaders[kGridColumns] = {"状态", "发布时间", "资源名称", "资源大小",
                                            "进度", "速度",     "剩余时间", "用时"};

}  // namespace

TFMain::TFMain()
    : TMainForm(kShowPicInterval),
      lists_(TReceiveLists::Create()),
      area_(TReceiveArea::Build(Handle(), WindowFont())),
      painter_{area_.ImageList2.Get()} {
  SetWindowTextW(Handle(), Wide(Cp("柏岚安装程序")).c_str());
  dwonLabel_ = std::make_unique<TLabel>(
      Page2Bottom(), idDwonLabel, kDwonLabelBounds, Cp("完成进度"),
      TLabelLook{WindowFont(), kDwonLabelColour, kBottomColour, true, false, TLabelMouse::PassThrough});
  trayIcon_ = std::make_unique<TTrayIcon>(Handle(), kTrayIconMessage, LoadIconPicture(IDP_APP, kTrayIconSize),
                                          Cp("柏岚软件安装程序"));
  FormCreate();
  recordPages_ =
      std::make_unique<TRecordPages>(lists_, area_, Handle(), WindowFont(), [this] { RefreshGrid(); });
  // The resource selection dialog exists from the start, hidden; nothing fills or shows it.
  resReceive_ = std::make_unique<TFResReceive>(lists_, Handle());
  resReceive_->JobsAdded = [this] { RefreshGrid(); };
}

// Jobs still listed when the window goes without its close (a test, or an
// install click whose fetch outlasted it) are released here all the same.
TFMain::~TFMain() {
  if (!closed_) FormClose();
}

void TFMain::FormCreate() {
  TStringGrid& grid = *area_.StringGrid1;
  for (int column = 0; column < kGridColumns; ++column)
    lists_->SetCell(0, column, Utf8ToCp936(kHeaders[column]));
  grid.OnDrawCell = [this](HDC dc, int column, int row, const TCellRect& rect, TGridCellState) {
    StringGrid1DrawCell(dc, column, row, rect);
  };
  grid.OnTopLeftChanged = [this] { StringGrid1TopLeftChanged(); };
  grid.OnClick = [this] { StringGrid1Click(); };
  grid.OnDblClick = [this] { StringGrid1DblClick(); };
  grid.OnContextMenu = [this](POINT at) {
    TrackPopupMenu(area_.PM1.Get(), TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
  };
  RefreshGrid();
}

std::shared_ptr<TDownloadJob> TFMain::JobAt(int row) const {
  return lists_->JobAtRow(row);
}

int TFMain::SelectedRow() const {
  return area_.StringGrid1->Row();
}

void TFMain::AddToDownLoadList() {
  const TIniFile* manifest = ManifestIni();
  // The window may have been closed while the fetch kept it answering.
  if (manifest == nullptr || closed_) return;
  bailan::AddToDownLoadList(*lists_, *manifest, InstallPathText(), ProductName());
  RefreshGrid();
}

void TFMain::ClickBtnPlay() {
  SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(idBtnPlay, BN_CLICKED),
               reinterpret_cast<LPARAM>(area_.RzToolbar1));
}

void TFMain::EnableProgressTimer() {
  if (closed_) return;
  SetTimer(Handle(), kTimer1, kTimer1Interval, nullptr);
  timer1Enabled_ = true;
}

void TFMain::BtnPlayClick() {
  StartAllJobs();
}

void TFMain::StartAllJobs() {
  for (const auto& job : lists_->JobList()) job->StartDownload();
  RefreshGrid();
}

void TFMain::StartSelectedJob() {
  if (const auto job = JobAt(SelectedRow())) {
    job->StartDownload();
    RefreshGrid();
  }
}

void TFMain::StopAllJobs() {
  for (const auto& job : lists_->JobList()) {
    job->RequestStop();
    StopWait([job] { return job; });
  }
  RefreshGrid();
}

void TFMain::StopSelectedJob() {
  const auto job = JobAt(SelectedRow());
  if (!job) return;
  job->RequestStop();
  // Each look is at the job of the row selected at that moment; a row without
  // a job ends the wait.
  StopWait([this] { return JobAt(SelectedRow()); });
  RefreshGrid();
}

void TFMain::StopWait(const std::function<std::shared_ptr<TDownloadJob>()>& job) {
  bailan::StopWait(job, PumpSlice);
}

// One slice of a stop wait: the window's messages go on meanwhile.
void TFMain::PumpSlice() {
  ProcessMessages(true);
  MsgWaitForMultipleObjects(0, nullptr, FALSE, kPumpSliceMs, QS_ALLINPUT);
}

void TFMain::BtnPauseClick() {
  if (ShowMessageBox({Handle(), Cp("是否暂停所有接收任务？"), Cp("确认信息"), TMessageIcon::Question,
                      mbYes | mbNo, mbNo}) == mbYes) {
    StopAllJobs();
  }
}

void TFMain::BtnExitClick() {
  Close();
}

void TFMain::StringGrid1Click() {
  const auto job = JobAt(SelectedRow());
  if (!job) return;
  std::string text;
  for (const std::string& line : job->Log.Lines()) text += (text.empty() ? "" : "\r\n") + line;
  SetWindowTextCp(area_.RzRchEdt_JobInfo, text);
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

void TFMain::SelectPage(int page) {
  SendMessageW(area_.RzPgCtrl_Main, TCM_SETCURSEL, page, 0);
  NMHDR change{area_.RzPgCtrl_Main, static_cast<UINT_PTR>(idRzPgCtrl_Main), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(Handle(), WM_NOTIFY, idRzPgCtrl_Main, reinterpret_cast<LPARAM>(&change));
}

void TFMain::Timer1Timer() {
  // A tick met inside a wait of the completion's own (its message box) is not
  // a second completion.
  if (completing_) return;
  const TProgressTick tick = TickJobs(*lists_);
  ProgressBar().SetTotalParts(tick.Total);
  ProgressBar().SetPartsComplete(tick.Received);
  dwonLabel_->SetText(ProgressCaption(tick));
  RefreshGrid();
  if (tick.NoJobLeft) CompleteInstallation();
}

void TFMain::CompleteInstallation() {
  completing_ = true;
  struct TDone {
    bool& Flag;
    ~TDone() { Flag = false; }
  } done{completing_};
  ClickButton(Setup3UI());
  KillTimer(Handle(), kTimer1);
  timer1Enabled_ = false;
  WriteAndStartLauncher(InstallPathText(), ProductName());
  ShowMessageBox({Handle(), Cp("安装完成！"), Cp("柏岚软件"), TMessageIcon::Information, mbOK, mbOK});
  Close();
}

void TFMain::RefreshGrid() {
  const auto jobs = lists_->JobList();
  // Gauges of jobs that left the list go; a gauge keeps its job alive until then.
  for (auto it = gauges_.begin(); it != gauges_.end();) {
    const bool listed =
        std::any_of(jobs.begin(), jobs.end(), [&](const auto& job) { return job.get() == it->first; });
    it = listed ? std::next(it) : gauges_.erase(it);
  }
  for (const auto& job : jobs) {
    if (!gauges_.count(job.get()))
      gauges_.emplace(job.get(), std::make_unique<TGaugeWindow>(job, area_.StringGrid1->Handle()));
  }
  area_.StringGrid1->SetRowCount(lists_->RowCount());
  StringGrid1TopLeftChanged();
  area_.StringGrid1->Repaint();
  RepaintGauges();
}

void TFMain::RepaintGauges() const {
  for (const auto& [job, gauge] : gauges_) InvalidateRect(gauge->Handle(), nullptr, FALSE);
}

void TFMain::StringGrid1DrawCell(HDC dc, int column, int row, const TCellRect& rect) {
  const TStringGrid& grid = *area_.StringGrid1;
  int icon = -1;
  if (row != 0 && column == kColumnStatus) {
    if (const auto job = JobAt(row)) icon = job->Running;
  }
  painter_.Draw(dc, grid, column, row, rect, lists_->Cell(row, column), icon);
  // Every repaint places the gauges again, from the top-left visible cell.
  if (column == grid.LeftCol() && row == grid.TopRow()) PlaceGauges(column, row, rect);
}

void TFMain::StringGrid1TopLeftChanged() {
  const TStringGrid& grid = *area_.StringGrid1;
  PlaceGauges(grid.LeftCol(), grid.TopRow(), grid.CellRect(grid.LeftCol(), grid.TopRow()));
}

void TFMain::PlaceGauges(int column, int row, TCellRect rect) {
  const TStringGrid& grid = *area_.StringGrid1;
  while (column < grid.ColumnCount() - kGaugeColumnsFromRight) {
    const int step = grid.ColumnWidth(column) + TGridLayout::kGridLine;
    rect.Left += step;
    rect.Right += step;
    ++column;
  }
  rect.Right = rect.Left + grid.ColumnWidth(column);
  rect = {rect.Left + kGaugeInsetX, rect.Top + kGaugeInsetY, rect.Right - kGaugeInsetX,
          rect.Bottom - kGaugeInsetY};
  const int visible = grid.VisibleRowCount();
  const auto jobs = lists_->JobList();
  for (int i = 0; i < static_cast<int>(jobs.size()); ++i) {
    const auto found = gauges_.find(jobs[static_cast<std::size_t>(i)].get());
    if (found == gauges_.end()) continue;
    if (i < row - 1 || i >= row + visible) {
      found->second->Conceal();
    } else {
      found->second->Place(rect);
      const int step = grid.RowHeight(i + 1) + TGridLayout::kGridLine;
      rect.Top += step;
      rect.Bottom += step;
    }
  }
}

void TFMain::ShowTrayBalloon(const std::string& title, const std::string& text, unsigned timeoutMs) {
  trayIcon_->ShowBalloon(title, text, timeoutMs);
  if (BalloonShown) BalloonShown(title, text, timeoutMs);
}

bool TFMain::CloseQuery() {
  // A close asked for while the query waits (its loop keeps the window
  // answering) is refused: the first query decides.
  if (closeQueryRunning_) return false;
  if (!AnyJobRunning(*lists_)) return true;
  closeQueryRunning_ = true;
  struct TDone {
    bool& Flag;
    ~TDone() { Flag = false; }
  } done{closeQueryRunning_};
  if (ShowMessageBox({Handle(), Cp("软件正在安装,是否退出安装？"), Cp("确认信息"), TMessageIcon::Question,
                      mbYes | mbNo, mbNo}) != mbYes) {
    return false;
  }
  StopRunningJobs(*lists_, PumpSlice);
  return true;
}

// Releases every job still listed. A job whose transfer is still going after
// the waits is kept alive by its own thread, which finishes on it; the window
// no longer takes part (the job's host reference is weak). Before the program
// ends, every run is asked to stop and given the stop wait once more.
void TFMain::FormClose() {
  closed_ = true;
  KillTimer(Handle(), kTimer1);
  timer1Enabled_ = false;
  gauges_.clear();
  ReleaseJobsAndWait(*lists_);
}

bool TFMain::OnCommand(int id) {
  switch (id) {
    case idBtnPlay:
      BtnPlayClick();
      return true;
    case idBtnPause:
      BtnPauseClick();
      return true;
    case idBtnExit:
      BtnExitClick();
      return true;
    case idBtnPrintPreview:  // "检查资源更新" and "参数设置" have no action
    case idBtnUtilities:
      return true;
    case idN1:
      StartSelectedJob();
      return true;
    case idN2:
      StopSelectedJob();
      return true;
    default:
      return recordPages_->HandleCommand(id);
  }
}

bool TFMain::HandleFormMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) < kFirstDerivedId) return false;
      result = 0;
      return OnCommand(LOWORD(wParam));
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != static_cast<UINT_PTR>(idRzPgCtrl_Main) || header->code != TCN_SELCHANGE)
        return false;
      area_.ShowActiveSheet();
      recordPages_->RzPgCtrl_MainChange(area_.ActivePage());
      result = 0;
      return true;
    }
    case WM_TIMER:
      if (wParam != kTimer1) return false;
      Timer1Timer();
      result = 0;
      return true;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) != area_.RzRchEdt_JobInfo) return false;
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_INFOBK));
      SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_INFOTEXT));
      result = reinterpret_cast<LRESULT>(area_.InfoBrush.Get());
      return true;
    case WM_SIZE:
      // Minimised, the window shows only as the tray icon; without one it stays
      // on the task bar, or the user could never bring it back.
      if (wParam == SIZE_MINIMIZED && trayIcon_ && trayIcon_->Present())
        PostMessageW(Handle(), kHideToTray, 0, 0);
      return false;
    case kHideToTray:
      if (IsIconic(Handle())) ShowWindow(Handle(), SW_HIDE);
      result = 0;
      return true;
    case kTrayIconMessage:
      if (lParam == WM_LBUTTONDBLCLK) {
        ShowWindow(Handle(), SW_RESTORE);
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
      }
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace bailan

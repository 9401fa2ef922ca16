#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "win32/common/Controls.h"
#include "win32/common/Label.h"
#include "win32/dialogs/ResReceive.h"
#include "win32/installer/MainForm.h"
#include "win32/receive/GaugeWindow.h"
#include "win32/receive/GridCellPainter.h"
#include "win32/receive/ReceiveArea.h"
#include "win32/receive/RecordPages.h"
#include "win32/receive/TrayIcon.h"

namespace bailan {

class TDownloadJob;
class TReceiveLists;

// The program's main window: the installer window extended by the receive
// window's state (resource lists, job list, row table), the receive area beyond
// the visible edge, the progress timer with the install completion, the tray
// icon, the stop waits and the close query.
class TFMain : public TMainForm {
 public:
  static constexpr unsigned kTimer1Interval = 100;
  static constexpr unsigned kShowPicInterval = 15000;
  static constexpr UINT_PTR kTimer1 = kFirstDerivedTimer;
  // What the shell sends for mouse events on the tray icon (lParam the mouse message).
  static constexpr UINT kTrayIconMessage = kFirstFormMessage;
  // Hides the minimised window once the minimise has run its course.
  static constexpr UINT kHideToTray = kFirstFormMessage + 1;
  static constexpr int kGaugeColumnsFromRight = 4;  // the gauges lie in the fourth column from the right
  static constexpr int kGaugeInsetX = 2, kGaugeInsetY = 4;
  static constexpr int kTrayIconSize = 16;

  // The main window (hidden until Show), with its lists and jobs; they live as
  // long as it does. GUI thread only.
  TFMain();
  ~TFMain() override;

  const std::shared_ptr<TReceiveLists>& Lists() const { return lists_; }
  const TReceiveArea& Area() const { return area_; }
  TRecordPages& RecordPages() const { return *recordPages_; }
  TLabel& DwonLabel() const { return *dwonLabel_; }
  bool Timer1Enabled() const { return timer1Enabled_; }
  const TTrayIcon& RzTrayIcon1() const { return *trayIcon_; }
  // The resource selection dialog, created hidden with the window.
  TFResReceive& FResReceive() const { return *resReceive_; }
  // The gauge of every listed job.
  const std::map<const TDownloadJob*, std::unique_ptr<TGaugeWindow>>& Gauges() const { return gauges_; }

  void AddToDownLoadList() override;
  void Timer1Timer();
  void StartAllJobs();
  void StartSelectedJob();
  void StopAllJobs();
  void StopSelectedJob();
  // Gives the gauges of the jobs in view the rectangle of their row's progress
  // column; `column`, `row` and `rect` are the top-left visible cell's.
  void PlaceGauges(int column, int row, TCellRect rect);
  // Takes over the row table's changes (rows, gauges) and repaints the grid.
  void RefreshGrid();
  // The grid row (1-based) selected in StringGrid1.
  int SelectedRow() const;
  // The job of grid row `row`, or null.
  std::shared_ptr<TDownloadJob> JobAt(int row) const;

  void BtnPlayClick();
  void BtnPauseClick();
  void BtnExitClick();
  void StringGrid1Click();
  void StringGrid1DblClick();
  // Switches the page control to `page` as a click on its tab does.
  void SelectPage(int page);

  // Told of every balloon asked for (title, text, time-out), whether the shell
  // could show it or not; tests watch it.
  std::function<void(const std::string&, const std::string&, unsigned)> BalloonShown;

 protected:
  void ClickBtnPlay() override;
  void EnableProgressTimer() override;
  void ShowTrayBalloon(const std::string& title, const std::string& text, unsigned timeoutMs) override;
  bool CloseQuery() override;
  void FormClose() override;
  bool HandleFormMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void FormCreate();
  bool OnCommand(int id);
  void StringGrid1DrawCell(HDC dc, int column, int row, const TCellRect& rect);
  void StringGrid1TopLeftChanged();
  void CompleteInstallation();
  // Processes messages until `job()` is null or no longer running, at most kStopWaitMs.
  void StopWait(const std::function<std::shared_ptr<TDownloadJob>()>& job);
  static void PumpSlice();
  void RepaintGauges() const;

  std::shared_ptr<TReceiveLists> lists_;
  TReceiveArea area_;
  std::unique_ptr<TRecordPages> recordPages_;
  std::unique_ptr<TLabel> dwonLabel_;
  std::unique_ptr<TTrayIcon> trayIcon_;
  std::unique_ptr<TFResReceive> resReceive_;
  std::map<const TDownloadJob*, std::unique_ptr<TGaugeWindow>> gauges_;
  TGridCellPainter painter_;
  bool timer1Enabled_ = false;
  bool completing_ = false;
  bool closeQueryRunning_ = false;
  bool closed_ = false;
};

}  // namespace bailan

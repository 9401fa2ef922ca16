#pragma once

#include <QRect>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "qt/installer/MainForm.h"
#include "qt/receive/ReceiveArea.h"
#include "receive/StopWait.h"

class QLabel;
class QSystemTrayIcon;
class QTimer;

namespace bailan {

class TAntiFreeze;
class TDownloadJob;
class TGaugeWidget;
class TReceiveLists;
class TRecordPages;
class TRowTableModel;

// The program's main window: the installer window extended by the receive
// window's state (resource lists, job list, row table), the receive area beyond
// the visible edge, the progress timer with the install completion, the tray
// icon and the anti-freeze that keeps it answering during the manifest fetch.
class TFMain : public TMainForm {
  Q_OBJECT

 public:
  static constexpr int kTimer1Interval = 100;
  static constexpr int kShowPicInterval = 15000;
  static constexpr std::uint32_t kStopWaitMs = bailan::kStopWaitMs;
  static constexpr int kStopWaitSliceMs = 5;  // events are processed this often while waiting
  static constexpr int kRowHeight = 20;
  static constexpr int kGridLine = 1;
  static constexpr int kColumnWidths[8] = {30, 120, 180, 80, 100, 80, 80, 80};

  // The main window; its lists and jobs live as long as it does. GUI thread only.
  explicit TFMain(QWidget* parent = nullptr);
  ~TFMain() override;

  const std::shared_ptr<TReceiveLists>& Lists() const { return lists_; }
  const TReceiveArea& Area() const { return area_; }
  TRecordPages* RecordPages() const { return recordPages_; }
  QLabel* DwonLabel() const { return dwonLabel_; }
  QTimer* Timer1() const { return timer1_; }
  QSystemTrayIcon* RzTrayIcon1() const { return trayIcon_; }

  void AddToDownLoadList() override;
  void Timer1Timer();
  void StartAllJobs();
  void StartSelectedJob();
  void StopAllJobs();
  void StopSelectedJob();
  // Gives the gauges of the jobs in view the rectangle of their row's progress
  // column; `column`, `row` and `rect` are the top-left visible cell's.
  void PlaceGauges(int column, int row, QRect rect);
  // Takes over the row table's changes and places the gauges again.
  void RefreshGrid();
  // The grid row (1-based) of the current cell; 1 when there is none.
  int SelectedRow() const;
  // Rows of the grid that are fully in view.
  int VisibleRowCount() const;
  // The job of grid row `row`, or null.
  std::shared_ptr<TDownloadJob> JobAt(int row) const;
  const std::map<const TDownloadJob*, TGaugeWidget*>& Gauges() const { return gauges_; }

  void BtnExitClick();
  void StringGrid1Click();
  void StringGrid1DblClick();
  void BtnPauseClick();

 signals:
  // A tray balloon was asked for (shown where the platform has a tray).
  void balloonShown(const QString& title, const QString& text, int timeoutMs);

 protected:
  void ClickBtnPlay() override;
  void EnableProgressTimer() override;
  void ShowTrayBalloon(const QString& title, const QString& text, int timeoutMs) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void ConnectReceiveHandlers();
  bool FormCloseQuery();
  void FormClose();
  void CompleteInstallation();
  void StringGrid1TopLeftChanged();
  // Processes events until `job()` is null or no longer running, at most kStopWaitMs.
  void StopWait(const std::function<std::shared_ptr<TDownloadJob>()>& job);
  static void PumpSlice();
  void RepaintGrid();
  int ColumnWidth(int column) const;

  std::shared_ptr<TReceiveLists> lists_;
  TReceiveArea area_;
  TRowTableModel* model_;
  TRecordPages* recordPages_ = nullptr;
  QLabel* dwonLabel_;
  QTimer* timer1_;
  QSystemTrayIcon* trayIcon_;
  std::unique_ptr<TAntiFreeze> antiFreeze_;
  std::map<const TDownloadJob*, TGaugeWidget*> gauges_;
  bool closeQueryRunning_ = false;
  bool closed_ = false;
};

}  // namespace bailan

#pragma once

class QAction;
class QFrame;
class QMenu;
class QTabWidget;
class QTableView;
class QTextEdit;
class QToolBar;
class QWidget;

namespace bailan {

// The download-manager area of the receive window, beyond the installer
// window's right edge: toolbar, page control with the receiving, received and
// recycle pages, and the job-information pane. The widgets belong to `window`
// (Qt ownership); this struct only names them.
struct TReceiveArea {
  static constexpr int kLeft = 640, kTop = 25, kWidth = 977, kHeight = 400;
  static constexpr int kToolbarHeight = 25;
  static constexpr int kInfoHeight = 100;
  static constexpr int kTabHeight = 18;
  static constexpr int kPageReceived = 1;  // the page shown when the window is created

  QFrame* Panel2 = nullptr;
  QToolBar* RzToolbar1 = nullptr;
  QAction* BtnPlay = nullptr;
  QAction* BtnPause = nullptr;
  QAction* BtnPrintPreview = nullptr;
  QAction* BtnUtilities = nullptr;
  QAction* BtnExit = nullptr;
  QTabWidget* RzPgCtrl_Main = nullptr;
  QWidget* RzTbSht_Download = nullptr;
  QWidget* RzTbSht_Received = nullptr;  // StringGrid2 goes here
  QWidget* RzTbSht_Recycle = nullptr;   // StringGrid3 goes here
  QTableView* StringGrid1 = nullptr;
  QFrame* PnlInfo = nullptr;
  QTabWidget* RzPgCtrl_Info = nullptr;
  QWidget* RzTbSht_JobInfo = nullptr;
  QTextEdit* RzRchEdt_JobInfo = nullptr;
  QMenu* PM1 = nullptr;
  QAction* N1 = nullptr;
  QAction* N2 = nullptr;

  // Builds the area on `window`.
  static TReceiveArea Build(QWidget* window);
  // Puts every widget of the area, as built so far, out of the user's reach: the
  // area is never seen, so none of it may take the keyboard focus (no Tab leads
  // into it, no key reaches it) or open a menu; its menus are popped up by code
  // only. Called once the area is complete.
  void ShutOutTheUser() const;
};

}  // namespace bailan

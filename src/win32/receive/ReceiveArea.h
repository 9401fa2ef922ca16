#pragma once

#include <memory>

#include "win32/common/Handles.h"
#include "win32/common/Panel.h"
#include "win32/installer/MainForm.h"
#include "win32/receive/ImageStrip.h"
#include "win32/receive/StringGrid.h"

namespace bailan {

// Command ids of the receive area's controls and menu items (the receive
// window's own range).
enum TReceiveId : int {
  idBtnPlay = TMainForm::kFirstDerivedId,
  idBtnPause,
  idBtnPrintPreview,
  idBtnUtilities,
  idBtnExit,
  idRzToolbar1,
  idRzPgCtrl_Main,
  idRzPgCtrl_Info,
  idRzRchEdt_JobInfo,
  idN1,
  idN2,
  idpmiOpen,
  idpmiOpenDir,
  idpmiReReceive,
  idpmiDelete,
  idN5,
  idDwonLabel,
};

// The download-manager area of the receive window, beyond the installer
// window's right edge: toolbar, page control with the receiving, received and
// recycle pages, the job-information pane, the receiving grid and its menu PM1.
// It takes no input: its panel is disabled, so neither the mouse nor the
// keyboard focus can reach a control in it, while code drives them all through
// their messages.
struct TReceiveArea {
  static constexpr int kLeft = 640, kTop = 25, kWidth = 977, kHeight = 400;
  static constexpr int kToolbarHeight = 25;
  static constexpr int kInfoHeight = 100;
  static constexpr int kTabHeight = 18;
  static constexpr int kTabWidth = 72;
  static constexpr int kRowHeight = 20;
  static constexpr int kPageDownload = 0, kPageReceived = 1, kPageRecycle = 2;
  static constexpr int kPageCount = 3;
  static constexpr int kToolbarPicture = 16;

  // Declared first, so that they outlive the controls that draw with them.
  TImageList ImageList2;  // the status icons: 0 idle, 1 running, 2 received, 3 recycled
  TImageList ImageList3, ImageList3Disabled;
  TBrush InfoBrush;  // the job log's background, the tooltip colour

  std::unique_ptr<TPanel> Panel2;
  HWND RzToolbar1 = nullptr;  // the controls are owned by their panels
  HWND RzPgCtrl_Main = nullptr;
  std::unique_ptr<TPanel> RzTbSht_Download, RzTbSht_Received, RzTbSht_Recycle;
  std::unique_ptr<TStringGrid> StringGrid1;
  std::unique_ptr<TPanel> PnlInfo;
  HWND RzPgCtrl_Info = nullptr;
  std::unique_ptr<TPanel> RzTbSht_JobInfo;
  HWND RzRchEdt_JobInfo = nullptr;
  TMenu PM1;

  // Builds the area on `window` (the receive window) in `font`. GUI thread only.
  static TReceiveArea Build(HWND window, HFONT font);

  // The page control's active page and its sheet.
  int ActivePage() const;
  HWND Sheet(int page) const;
  // Shows the sheet of the page control's active page and hides the others.
  void ShowActiveSheet() const;
  // A grid that fills a sheet of the page control.
  RECT SheetClient() const;
};

}  // namespace bailan

#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "receive/ReceiveLists.h"
#include "win32/common/Handles.h"
#include "win32/receive/GridCellPainter.h"
#include "win32/receive/StringGrid.h"

namespace bailan {

struct TReceiveArea;

// The received and recycle pages of the receive area: StringGrid2 ("已接收") with
// its menu PM2 and StringGrid3 ("回收站") with PM3. A grid is filled from its list
// when its page becomes active; the commands open a received file or its folder,
// receive it again, delete it into the recycle list and restore it from there.
class TRecordPages {
 public:
  static constexpr int kReceivedIcon = 2;  // of the status pictures
  static constexpr int kRecycledIcon = 3;

  // Builds both grids (in `font`, the window's) and their menus on the area's
  // sheets. `window` (the receive window) owns the message boxes and receives
  // the menus' commands;
  // `lists` is its model; `jobsChanged` runs after a job row was added to the
  // receiving grid. Lives as long as the area. GUI thread only.
  TRecordPages(std::shared_ptr<TReceiveLists> lists, const TReceiveArea& area, HWND window, HFONT font,
               std::function<void()> jobsChanged);

  std::unique_ptr<TStringGrid> StringGrid2, StringGrid3;
  TMenu PM2, PM3;

  // Fills the grid of the page now active: index 1 the received, 2 the recycle
  // page; any other index does nothing.
  void RzPgCtrl_MainChange(int index);
  void pmiOpenClick();
  void pmiOpenDirClick();
  void pmiReReceiveClick();
  void pmiDeleteClick();
  void N5Click();
  // Runs the command of a menu item of PM2 or PM3; false for another id.
  bool HandleCommand(int id);

  // The shell's "open" of a file or folder (CP936 path); tests replace it.
  std::function<void(HWND owner, const std::string& path)> ShellOpen;

 private:
  std::unique_ptr<TStringGrid> AddGrid(TRecordPage page, HWND sheet, HFONT font);
  // The selected row of the page's grid when it lies within the page's list, else 0.
  int SelectedRecordRow(TRecordPage page) const;
  std::optional<TReceivedRec> SelectedReceived() const;
  // Asks a question with Yes as the default; true when answered Yes.
  bool Confirm(const char* question) const;
  void Refresh(TRecordPage page);
  TStringGrid& Grid(TRecordPage page) const;

  std::shared_ptr<TReceiveLists> lists_;
  HWND window_;
  std::function<void()> jobsChanged_;
  TGridCellPainter painter_;
};

}  // namespace bailan

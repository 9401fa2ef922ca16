#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win32/common/Window.h"
#include "win32/receive/GridLayout.h"

namespace bailan {

// How the grid chose to draw a cell before its draw-cell handler runs.
struct TGridCellState {
  bool Fixed = false;     // the header row, in the button-face colour
  bool Selected = false;  // a selected data row, in the highlight colours
};

// An owner-drawn string grid: one fixed header row, data rows of one height that
// scroll by whole rows, thin lines between all cells, whole-row selection (a
// range with Shift), columns widened or narrowed by dragging their header edge,
// drawn double-buffered. The texts belong to the caller (CellText); the grid
// fills each cell with the brush it chose (the DC brush) and hands it to
// OnDrawCell with the text colour set, as a Delphi grid's OnDrawCell gets its
// canvas. It never takes the keyboard focus: it lies in the window's hidden
// area and is driven by code.
class TStringGrid : public TWindow {
 public:
  static constexpr int kDefaultTextInset = 4;

  // A visible child window of `parent` at `bounds` with these column widths
  // and row height; owns its HWND (destroyed with this object, or with the
  // parent first). GUI thread only.
  TStringGrid(HWND parent, const RECT& bounds, std::vector<int> columnWidths, int rowHeight);
  const TGridLayout& Layout() const { return layout_; }

  int RowCount() const { return layout_.RowCount(); }
  void SetRowCount(int count);
  int ColumnCount() const { return layout_.ColumnCount(); }
  int ColumnWidth(int column) const { return layout_.ColumnWidth(column); }
  void SetColumnWidth(int column, int width);
  int RowHeight(int /*row*/) const { return layout_.RowHeight(); }
  int TopRow() const { return layout_.TopRow(); }
  // Scrolls so that `row` is the first data row in view; OnTopLeftChanged runs
  // when the top row changed.
  void SetTopRow(int row);
  int LeftCol() const { return 0; }
  int VisibleRowCount() const { return layout_.VisibleRowCount(); }
  TCellRect CellRect(int column, int row) const { return layout_.CellRect(column, row); }

  // The current row (1 when nothing was clicked) and the selected range.
  int Row() const { return row_; }
  void SetRow(int row);
  bool IsSelected(int row) const;

  // The font of the cells (not owned); measured and drawn with by the handlers.
  void SetFont(HFONT font);
  HFONT Font() const { return font_; }

  // Redraws the whole grid now.
  void Repaint();
  // Draws the grid as it shows now into `dc` (the client area's size).
  void PaintTo(HDC dc);

  // The texts of the cells (CP936); empty when unset.
  std::function<std::string(int row, int column)> CellText;
  std::function<void(HDC dc, int column, int row, const TCellRect& rect, TGridCellState state)> OnDrawCell;
  std::function<void()> OnTopLeftChanged;
  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  // A right click, at the mouse position in screen coordinates (the pop-up menu).
  std::function<void(POINT at)> OnContextMenu;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void DrawCells(HDC dc);
  void DefaultDrawCell(HDC dc, int column, int row, const TCellRect& rect);
  void UpdateScrollBar();
  void Scroll(WPARAM request);
  void SelectAt(int x, int y, bool extend);
  void Fire(const std::function<void()>& handler);

  TGridLayout layout_;
  HFONT font_ = nullptr;
  int row_ = 1;
  int anchor_ = 1;
  int resizing_ = -1;  // the column whose edge is being dragged
  int resizeStartX_ = 0;
  int resizeStartWidth_ = 0;
  bool pressed_ = false;  // a left press on a data cell, clicked on release
};

}  // namespace bailan

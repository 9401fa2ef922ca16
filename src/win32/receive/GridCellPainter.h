#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "win32/receive/StringGrid.h"

namespace bailan {

// The cell drawing of the three grids of the receive area, over what the grid
// drew: the header text centred; in column 0 of a data row the status icon
// `icon` of `icons` centred, without filling first (none for -1); in column
// `rightColumn` the text right-aligned, in the other columns left-aligned, each
// with a 4-pixel inset, after filling the cell with the grid's brush. Every
// text is placed vertically by the header row's height. Divisions truncate.
struct TGridCellPainter {
  static constexpr int kTextInset = 4;
  static constexpr int kIconSize = 16;
  static constexpr int kRightColumn = 3;  // "资源大小" of every grid

  HIMAGELIST Icons = nullptr;

  void Draw(HDC dc, const TStringGrid& grid, int column, int row, const TCellRect& rect,
            const std::string& text, int icon) const;
};

}  // namespace bailan

#include "win32/receive/GridCellPainter.h"

#include "win32/common/WideText.h"

namespace bailan {
namespace {

void FillCell(HDC dc, const RECT& cell) {
  FillRect(dc, &cell, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
}

}  // namespace

void TGridCellPainter::Draw(HDC dc, const TStringGrid& grid, int column, int row, const TCellRect& rect,
                            const std::string& text, int icon) const {
  const RECT cell{rect.Left, rect.Top, rect.Right, rect.Bottom};
  if (row != 0 && column == 0) {
    if (icon >= 0 && Icons != nullptr) {
      ImageList_Draw(Icons, icon, dc, rect.Left + (grid.ColumnWidth(column) - kIconSize) / 2,
                     rect.Top + (grid.RowHeight(row) - kIconSize) / 2, ILD_TRANSPARENT);
    }
    return;
  }
  if (column >= grid.ColumnCount()) return;
  const std::wstring wide = Wide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  int x = rect.Left + kTextInset;
  if (row == 0) {
    x = rect.Left + (grid.ColumnWidth(column) - size.cx) / 2;
  } else if (column == kRightColumn) {
    x = rect.Right - size.cx - kTextInset;
  }
  const int y = rect.Top + (grid.RowHeight(0) - size.cy) / 2;
  FillCell(dc, cell);
  ExtTextOutW(dc, x, y, ETO_CLIPPED, &cell, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
}

}  // namespace bailan

#include "win32/receive/GridLayout.h"

#include <algorithm>
#include <utility>

namespace bailan {
namespace {

constexpr int kMinRows = 2;   // the header and one data row
constexpr int kEdgeGrip = 3;  // pixels each side of a column edge that start a resize

}  // namespace

TGridLayout::TGridLayout(std::vector<int> columnWidths, int rowHeight)
    : widths_(std::move(columnWidths)), rowHeight_(std::max(rowHeight, 1)) {}

int TGridLayout::ColumnWidth(int column) const {
  return column >= 0 && column < ColumnCount() ? widths_[static_cast<std::size_t>(column)] : 0;
}

void TGridLayout::SetColumnWidth(int column, int width) {
  if (column >= 0 && column < ColumnCount())
    widths_[static_cast<std::size_t>(column)] = std::max(width, kMinColumnWidth);
}

void TGridLayout::SetRowCount(int count) {
  rowCount_ = std::max(count, kMinRows);
  SetTopRow(topRow_);
}

void TGridLayout::SetClientSize(int width, int height) {
  clientWidth_ = std::max(width, 0);
  clientHeight_ = std::max(height, 0);
  SetTopRow(topRow_);
}

int TGridLayout::RowsThatFit() const {
  const int pitch = rowHeight_ + kGridLine;
  return std::max(0, (clientHeight_ - pitch) / pitch);
}

int TGridLayout::MaxTopRow() const {
  return std::max(1, rowCount_ - std::max(RowsThatFit(), 1));
}

void TGridLayout::SetTopRow(int row) {
  topRow_ = std::clamp(row, 1, MaxTopRow());
}

int TGridLayout::VisibleRowCount() const {
  return std::min(RowsThatFit(), rowCount_ - topRow_);
}

int TGridLayout::ColumnLeft(int column) const {
  int left = 0;
  for (int c = 0; c < column && c < ColumnCount(); ++c) left += ColumnWidth(c) + kGridLine;
  return left;
}

TCellRect TGridLayout::CellRect(int column, int row) const {
  const int pitch = rowHeight_ + kGridLine;
  const int top = row == 0 ? 0 : pitch + (row - topRow_) * pitch;
  const int left = ColumnLeft(column);
  return {left, top, left + ColumnWidth(column), top + rowHeight_};
}

TCellAt TGridLayout::CellAt(int x, int y) const {
  TCellAt at;
  if (x < 0 || y < 0 || x >= clientWidth_ || y >= clientHeight_) return at;
  for (int column = 0, left = 0; column < ColumnCount(); ++column) {
    left += ColumnWidth(column) + kGridLine;
    if (x < left) {
      at.Column = column;
      break;
    }
  }
  const int pitch = rowHeight_ + kGridLine;
  const int row = y < pitch ? 0 : topRow_ + (y - pitch) / pitch;
  if (row < rowCount_) at.Row = row;
  return at;
}

int TGridLayout::ColumnEdgeAt(int x) const {
  for (int column = 0, right = 0; column < ColumnCount(); ++column) {
    right += ColumnWidth(column);
    if (x >= right - kEdgeGrip && x <= right + kEdgeGrip) return column;
    right += kGridLine;
  }
  return -1;
}

}  // namespace bailan

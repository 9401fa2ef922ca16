#pragma once

#include <cstdint>
#include <vector>

namespace bailan {

// A cell's place in a grid's client area, in pixels; right and bottom exclusive.
struct TCellRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TCellRect&) const = default;
};

// A grid cell by column and row (row 0 the header); -1 where there is none.
struct TCellAt {
  int Column = -1, Row = -1;
};

// Where the cells of a string grid lie: one fixed header row, data rows that
// scroll by whole rows below it, columns of their own widths from the left, a
// grid line of one pixel after every column and every row. Pure geometry, so
// the grid's drawing, hit tests and the gauges agree about every pixel.
class TGridLayout {
 public:
  static constexpr int kGridLine = 1;
  static constexpr int kMinColumnWidth = 4;  // a column narrowed by dragging keeps a grip

  TGridLayout(std::vector<int> columnWidths, int rowHeight);

  int ColumnCount() const { return static_cast<int>(widths_.size()); }
  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);
  int RowHeight() const { return rowHeight_; }

  int RowCount() const { return rowCount_; }
  // At least two rows (the header and one data row); the top row stays valid.
  void SetRowCount(int count);
  void SetClientSize(int width, int height);
  int ClientHeight() const { return clientHeight_; }

  // The first data row in view (1 when not scrolled), kept within 1..MaxTopRow().
  int TopRow() const { return topRow_; }
  void SetTopRow(int row);
  int MaxTopRow() const;
  // Data rows that fit wholly below the header (however many rows exist).
  int RowsThatFit() const;
  // Data rows fully in view from the top row: RowsThatFit() bounded by the rows left.
  int VisibleRowCount() const;

  // The rectangle of a cell as drawn now (data rows above the top row lie above
  // the header, which hides them).
  TCellRect CellRect(int column, int row) const;
  // The cell under a point of the client area; Row -1 below the last row or
  // for a data row hidden by scrolling.
  TCellAt CellAt(int x, int y) const;
  // The column whose right edge lies within a grip's reach of x, for widening
  // by dragging the header; -1 for none.
  int ColumnEdgeAt(int x) const;

 private:
  int ColumnLeft(int column) const;

  std::vector<int> widths_;
  int rowHeight_;
  int rowCount_ = 2;
  int topRow_ = 1;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
};

}  // namespace bailan

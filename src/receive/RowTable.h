#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bailan {

// A grid's table of cell texts: row 0 the headers, data row r for entry r - 1 of
// the grid's list (the job list for the receiving grid, 8 columns; the received
// and recycle lists for theirs). Never fewer than 2 rows, so that with an empty
// list one empty data row remains. Not locked itself: its owner's list lock
// guards it.
class TRowTable {
 public:
  static constexpr std::int32_t kColumns = 8;
  static constexpr std::int32_t kMinRows = 2;

  // An empty table of kMinRows rows and `columns` columns.
  explicit TRowTable(std::int32_t columns = kColumns);

  std::int32_t RowCount() const { return static_cast<std::int32_t>(rows_.size()); }
  std::int32_t ColumnCount() const { return columns_; }
  // Sets the row count (at least kMinRows); new rows are empty.
  void SetRowCount(std::int32_t count);

  // Cells outside the table read as empty and are not written.
  const std::string& Cell(std::int32_t row, std::int32_t column) const;
  void SetCell(std::int32_t row, std::int32_t column, std::string text);

  // Takes data row `row` out: every later row moves up by one, the last row is
  // emptied and, while the table has more than kMinRows rows, dropped.
  void RemoveRow(std::int32_t row);

 private:
  bool Contains(std::int32_t row, std::int32_t column) const;

  std::int32_t columns_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace bailan

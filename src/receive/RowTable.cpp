#include "receive/RowTable.h"

#include <algorithm>

namespace bailan {
namespace {

const std::string kEmpty;

}  // namespace

TRowTable::TRowTable(std::int32_t columns) : columns_(std::max(columns, 1)) {
  SetRowCount(kMinRows);
}

void TRowTable::SetRowCount(std::int32_t count) {
  rows_.resize(static_cast<std::size_t>(std::max(count, kMinRows)),
               std::vector<std::string>(static_cast<std::size_t>(columns_)));
}

bool TRowTable::Contains(std::int32_t row, std::int32_t column) const {
  return row >= 0 && row < RowCount() && column >= 0 && column < columns_;
}

const std::string& TRowTable::Cell(std::int32_t row, std::int32_t column) const {
  return Contains(row, column) ? rows_[row][column] : kEmpty;
}

void TRowTable::SetCell(std::int32_t row, std::int32_t column, std::string text) {
  if (Contains(row, column)) rows_[row][column] = std::move(text);
}

void TRowTable::RemoveRow(std::int32_t row) {
  if (row < 1 || row >= RowCount()) return;
  for (std::int32_t r = row; r + 1 < RowCount(); ++r) rows_[r] = rows_[r + 1];
  for (std::string& cell : rows_.back()) cell.clear();
  if (RowCount() > kMinRows) rows_.pop_back();
}

}  // namespace bailan

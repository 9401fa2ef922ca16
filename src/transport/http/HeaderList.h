#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bailan {

// Header lines in arrival (or sending) order, each "Name: value". Lookups by
// name ignore case and take the first matching line.
class THeaderList {
 public:
  static constexpr std::size_t kFoldLength = 1024;  // request lines longer than this are folded

  void Clear() { lines_.clear(); }
  // Adds "name: value".
  void Add(std::string_view name, std::string_view value);
  // Adds a received line; one that begins with a space or a tab continues the
  // value of the line before it (the parts trimmed and joined with one space).
  void AddReceivedLine(std::string_view line);

  // The trimmed value of the first line named `name`; empty when there is none.
  std::string Value(std::string_view name) const;
  bool Has(std::string_view name) const;
  // The values of every line named `name`, in order.
  std::vector<std::string> Values(std::string_view name) const;

  const std::vector<std::string>& Lines() const { return lines_; }
  std::size_t Count() const { return lines_.size(); }

  // The lines as sent: each longer than kFoldLength folded onto continuation
  // lines that begin with a space, broken after a space, tab or comma.
  std::vector<std::string> FoldedLines() const;

 private:
  std::vector<std::string> lines_;
};

}  // namespace bailan

#include "transport/http/HeaderList.h"

#include "transport/http/TextUtil.h"

namespace bailan {
namespace {

// The name of a line matches `name` when it is followed by a colon.
bool LineHasName(std::string_view line, std::string_view name) {
  std::size_t colon = line.find(':');
  return colon != std::string_view::npos && SameTextIgnoreCase(TrimView(line.substr(0, colon)), name);
}

std::string ValueOf(std::string_view line) {
  return Trim(line.substr(line.find(':') + 1));
}

void FoldLine(std::string_view line, std::vector<std::string>& out) {
  bool first = true;
  while (line.size() > THeaderList::kFoldLength) {
    std::size_t cut = line.find_last_of(" \t,", THeaderList::kFoldLength - 1);
    if (cut == std::string_view::npos || cut == 0) break;  // nowhere to break: sent whole
    out.push_back((first ? "" : " ") + std::string(line.substr(0, cut + 1)));
    line.remove_prefix(cut + 1);
    first = false;
  }
  out.push_back((first ? "" : " ") + std::string(line));
}

}  // namespace

void THeaderList::Add(std::string_view name, std::string_view value) {
  std::string line(name);
  line += ": ";
  line += value;
  lines_.push_back(std::move(line));
}

void THeaderList::AddReceivedLine(std::string_view line) {
  if (!line.empty() && (line.front() == ' ' || line.front() == '\t') && !lines_.empty()) {
    // Joined in place: only the ends of the line so far are touched, so a long
    // run of continuation lines costs time in proportion to its bytes.
    std::string& previous = lines_.back();
    const std::string_view kept = TrimView(previous);
    const std::size_t leading = static_cast<std::size_t>(kept.data() - previous.data());
    previous.resize(leading + kept.size());
    previous.erase(0, leading);
    previous += ' ';
    previous += TrimView(line);
    return;
  }
  lines_.emplace_back(line);
}

std::string THeaderList::Value(std::string_view name) const {
  for (const std::string& line : lines_) {
    if (LineHasName(line, name)) return ValueOf(line);
  }
  return std::string();
}

bool THeaderList::Has(std::string_view name) const {
  for (const std::string& line : lines_) {
    if (LineHasName(line, name)) return true;
  }
  return false;
}

std::vector<std::string> THeaderList::Values(std::string_view name) const {
  std::vector<std::string> values;
  for (const std::string& line : lines_) {
    if (LineHasName(line, name)) values.push_back(ValueOf(line));
  }
  return values;
}

std::vector<std::string> THeaderList::FoldedLines() const {
  std::vector<std::string> out;
  for (const std::string& line : lines_) FoldLine(line, out);
  return out;
}

}  // namespace bailan

#include "CheckReport.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "CliCommand.h"
#include "platform/Cp936.h"
#include "platform/Exception.h"
#include "platform/Format.h"

namespace bailan::cli {
namespace {

constexpr const char* kColumnSeparator = " | ";
constexpr const char* kCutMark = "...";
constexpr unsigned char kFirstTrailByte = 0x40;  // a CP936 trail byte is 0x40..0xFE, not 0x7F

const char* SeverityText(TCheckSeverity severity) {
  return severity == TCheckSeverity::Failure ? "fail" : "warn";
}

using TCells = std::array<std::string, 5>;

TCells CellsOf(const TCheckRow& row) {
  return {CellText(row.Entry), CellText(row.Url), CellText(row.Check), SeverityText(row.Severity),
          CellText(row.Detail)};
}

// The last column is not padded: nothing stands after it.
std::string Line(const TCells& cells, const std::array<std::size_t, 5>& widths) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += kColumnSeparator;
    line += cells[i];
    if (i + 1 < cells.size()) line.append(widths[i] - cells[i].size(), ' ');
  }
  return line;
}

}  // namespace

std::string FailureText(const std::exception& error) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  return OneLine(own ? std::string(own->ClassName()) + ": " + own->Message()
                     : std::string("Exception: ") + error.what());
}

std::string CellText(const std::string& text) {
  std::string cell;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    // A lead byte stands with the next one only when that can be a trail
    // byte; a lone one is shown, so that it never joins what follows.
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    const bool pair = IsCp936LeadByte(byte) && next >= kFirstTrailByte && next != 0x7F && next != 0xFF;
    const bool shown = byte < 0x20 || byte == 0x7F || (IsCp936LeadByte(byte) && !pair);
    const std::size_t length = pair ? 2 : 1;
    const std::string piece = shown ? Format("\\x%02X", byte) : text.substr(i, length);
    if (cell.size() + piece.size() > TCheckReport::kMaxCellBytes) {
      cell += kCutMark;
      break;
    }
    cell += piece;
    i += length;
  }
  return cell;
}

void TCheckReport::Fail(std::string entry, std::string url, std::string check, std::string detail) {
  Add({std::move(entry), std::move(url), std::move(check), TCheckSeverity::Failure, std::move(detail)});
}

void TCheckReport::Warn(std::string entry, std::string url, std::string check, std::string detail) {
  Add({std::move(entry), std::move(url), std::move(check), TCheckSeverity::Warning, std::move(detail)});
}

bool TCheckReport::HasFailures() const {
  return std::any_of(rows_.begin(), rows_.end(),
                     [](const TCheckRow& row) { return row.Severity == TCheckSeverity::Failure; });
}

void TCheckReport::Print(std::size_t entries) const {
  std::vector<TCells> table{{"entry", "url", "check", "result", "detail"}};
  for (TCheckSeverity severity : {TCheckSeverity::Failure, TCheckSeverity::Warning}) {
    for (const TCheckRow& row : rows_) {
      if (row.Severity == severity) table.push_back(CellsOf(row));
    }
  }
  std::array<std::size_t, 5> widths{};
  for (const TCells& cells : table) {
    for (std::size_t i = 0; i < cells.size(); ++i) widths[i] = std::max(widths[i], cells[i].size());
  }
  if (table.size() > 1) {
    for (const TCells& cells : table) PrintLine(Line(cells, widths));
  }
  const auto failures =
      static_cast<std::size_t>(std::count_if(rows_.begin(), rows_.end(), [](const TCheckRow& row) {
        return row.Severity == TCheckSeverity::Failure;
      }));
  PrintLine("entries: " + std::to_string(entries) + ", failures: " + std::to_string(failures) +
            ", warnings: " + std::to_string(rows_.size() - failures) + ": " +
            (failures == 0 ? "every entry would install" : "the installation would not complete"));
}

}  // namespace bailan::cli

#pragma once

#include <exception>
#include <string>
#include <vector>

namespace bailan::cli {

// What a deviation from the server's contract means for an installation.
enum class TCheckSeverity {
  Failure,  // the installation would not complete (or would install the wrong bytes)
  Warning,  // the installation works, but the server is not as it should be
};

// One deviation: which entry (its manifest section, or "manifest"), which
// address, which check, and what was seen. Texts are CP936, as the server and
// the manifest gave them.
struct TCheckRow {
  std::string Entry;
  std::string Url;
  std::string Check;
  TCheckSeverity Severity = TCheckSeverity::Failure;
  std::string Detail;
};

// The rows of one `check` run, printed as one table: failures first, then the
// warnings, each group in the order found. Owned by the command; one thread.
class TCheckReport {
 public:
  // A cell longer than this is cut (the rest replaced by "..."): a redirect
  // target or a status line from a hostile server cannot flood the terminal.
  static constexpr std::size_t kMaxCellBytes = 400;

  void Add(TCheckRow row) { rows_.push_back(std::move(row)); }
  void Fail(std::string entry, std::string url, std::string check, std::string detail);
  void Warn(std::string entry, std::string url, std::string check, std::string detail);

  bool HasFailures() const;
  const std::vector<TCheckRow>& Rows() const { return rows_; }

  // The table on stdout in UTF-8, columns padded (a CP936 byte is one column
  // of a terminal, a double-byte character two), cells with control
  // characters shown as \xNN; then one summary line for `entries` entries.
  void Print(std::size_t entries) const;

 private:
  std::vector<TCheckRow> rows_;
};

// "ClassName: message" of a failure caught by a check.
std::string FailureText(const std::exception& error);

// `text` made fit for one table cell: control characters (and DEL) as \xNN,
// at most kMaxCellBytes bytes, never cut inside a double-byte character.
std::string CellText(const std::string& text);

}  // namespace bailan::cli

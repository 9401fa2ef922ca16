#pragma once

#include <cstdint>
#include <string>

namespace bailan {
class TDownloadJob;
}

namespace bailan::cli {

// Progress of a fetch on stderr, log lines on stdout. On a terminal a bar as
// wide as the terminal is redrawn in place, and a log line first clears the
// bar's line, takes it, and the bar is drawn again below; elsewhere (a pipe, a
// file) there is no bar, only one plain progress line every few seconds.
class TFetchProgress {
 public:
  // `terminal`: whether stderr is a terminal. Used on one thread.
  explicit TFetchProgress(bool terminal) : terminal_(terminal) {}
  TFetchProgress(const TFetchProgress&) = delete;
  TFetchProgress& operator=(const TFetchProgress&) = delete;

  // Prints a line of the job's log (the system's CP936 text) above the bar.
  void Log(const TDownloadJob& job, const std::string& cp936);
  // Shows the job's figures when the last showing is old enough.
  void Show(const TDownloadJob& job) { Draw(job, false); }
  // Shows the final figures and ends the bar's line.
  void Finish(const TDownloadJob& job);

 private:
  void Draw(const TDownloadJob& job, bool force);
  // The bar's line for a terminal `columns` wide, never reaching its last column.
  static std::string BarLine(double share, const std::string& figures, int columns);

  const bool terminal_;
  bool shown_ = false;  // a bar stands on the terminal's current line
  bool drawn_ = false;  // figures were shown at least once
  std::uint32_t lastLine_ = 0;
};

}  // namespace bailan::cli

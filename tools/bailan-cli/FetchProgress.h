#pragma once

#include <cstdint>

namespace bailan {
class TDownloadJob;
}

namespace bailan::cli {

// Progress of a fetch on stderr: a bar redrawn in place on a terminal, otherwise
// one line per second.
class TFetchProgress {
 public:
  // `terminal`: whether stderr is a terminal. Used on one thread.
  explicit TFetchProgress(bool terminal) : terminal_(terminal) {}
  TFetchProgress(const TFetchProgress&) = delete;
  TFetchProgress& operator=(const TFetchProgress&) = delete;

  // Shows the job's figures when the last showing is old enough.
  void Show(const TDownloadJob& job) { Draw(job, false); }
  // Shows the final figures and ends the bar's line.
  void Finish(const TDownloadJob& job);

 private:
  void Draw(const TDownloadJob& job, bool force);

  const bool terminal_;
  bool shown_ = false;
  std::uint32_t lastLine_ = 0;
};

}  // namespace bailan::cli

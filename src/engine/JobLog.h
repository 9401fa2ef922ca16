#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace bailan {

// A job's log: lines of CP936 text, oldest first. The job transfer thread and the
// segment threads append; the GUI thread copies the lines to show them. Every
// operation takes the log's own lock, so a reader never sees a half-added line.
class TJobLog {
 public:
  // An empty log; owned by its job, which outlives every thread that appends.
  TJobLog() = default;
  TJobLog(const TJobLog&) = delete;
  TJobLog& operator=(const TJobLog&) = delete;

  void Add(std::string line);
  void Clear();
  std::vector<std::string> Lines() const;
  std::size_t Count() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace bailan

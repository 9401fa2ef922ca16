#include "engine/JobLog.h"

namespace bailan {

void TJobLog::Add(std::string line) {
  std::lock_guard lock(mutex_);
  lines_.push_back(std::move(line));
}

void TJobLog::Clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

std::vector<std::string> TJobLog::Lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

std::size_t TJobLog::Count() const {
  std::lock_guard lock(mutex_);
  return lines_.size();
}

}  // namespace bailan

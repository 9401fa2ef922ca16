#pragma once

#include <cstdint>

namespace bailan::test {

// While it lives, writes of this process beyond `bytes` into any file fail as on
// a full disk (Linux: RLIMIT_FSIZE, with SIGXFSZ ignored). Windows has no such
// limit: Active() is then false and nothing changes.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(std::uint64_t bytes);
  ~TFileSizeLimit();
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

  bool Active() const { return active_; }

 private:
  bool active_ = false;
  std::uint64_t before_ = 0;
};

}  // namespace bailan::test

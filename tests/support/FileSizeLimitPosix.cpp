#include <sys/resource.h>

#include <csignal>

#include "support/FileSizeLimit.h"

namespace bailan::test {

TFileSizeLimit::TFileSizeLimit(std::uint64_t bytes) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
  before_ = limit.rlim_cur;
  std::signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = bytes;
  active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

TFileSizeLimit::~TFileSizeLimit() {
  if (!active_) return;
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = before_;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, SIG_DFL);
}

}  // namespace bailan::test

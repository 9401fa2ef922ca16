#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "support/CrashingWrite.h"

namespace bailan::test {

TCrashOutcome RunCrashingBeyondFileSize(std::uint64_t bytes, const std::function<void()>& work) {
  const pid_t child = ::fork();
  if (child < 0) return TCrashOutcome::Unsupported;
  if (child == 0) {
    rlimit core{0, 0};
    ::setrlimit(RLIMIT_CORE, &core);
    rlimit size{};
    ::getrlimit(RLIMIT_FSIZE, &size);
    size.rlim_cur = bytes;
    std::signal(SIGXFSZ, SIG_DFL);
    if (::setrlimit(RLIMIT_FSIZE, &size) != 0) ::_exit(2);
    try {
      work();
    } catch (...) {
    }
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
  }
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ ? TCrashOutcome::Crashed
                                                            : TCrashOutcome::Finished;
}

}  // namespace bailan::test

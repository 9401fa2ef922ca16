#include "ProcessGroup.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "support/TempDir.h"

namespace bailan::test {

namespace {

int groupsStarted = 0;
constexpr int kTermGraceMs = 3000;  // how long the group has to end when asked

}  // namespace

TProcessGroup::TProcessGroup(const std::vector<std::string>& argv)
    : outputPath_("/tmp/bailan-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(groupsStarted++) +
                  ".out") {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const pid_t test = ::getpid();
  leader_ = ::fork();
  if (leader_ < 0) throw std::runtime_error("fork failed");
  if (leader_ == 0) {
    ::setpgid(0, 0);
    // A test process that dies without its destructors (a signal, a crash)
    // takes the leader with it; the leader ends what it started (the driver's
    // exit trap ends the installer).
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != test) ::_exit(127);  // the test is already gone
    const int out = ::open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(out, 2);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  // Also here, so that the group exists before the child has run at all.
  ::setpgid(leader_, leader_);
}

TProcessGroup::~TProcessGroup() {
  KillGroup();
  ::unlink(outputPath_.c_str());
}

int TProcessGroup::Wait(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!reaped_) {
    int status = 0;
    if (::waitpid(leader_, &status, WNOHANG) == leader_) {
      reaped_ = true;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  KillGroup();
  return -1;
}

void TProcessGroup::KillGroup() {
  if (::kill(-leader_, 0) != 0) return;
  // Asked first, so that an X server removes its socket and the driver's exit
  // trap runs; then whatever is left is killed.
  ::kill(-leader_, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTermGraceMs);
  while (!reaped_ && std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(leader_, nullptr, WNOHANG) == leader_) reaped_ = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(-leader_, SIGKILL);
  if (!reaped_) {
    ::waitpid(leader_, nullptr, 0);
    reaped_ = true;
  }
}

std::string TProcessGroup::Output() const {
  return ReadFileBytes(outputPath_);
}

}  // namespace bailan::test

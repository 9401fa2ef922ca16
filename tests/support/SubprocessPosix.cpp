#include "support/Subprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "support/TempDir.h"

namespace bailan::test {
namespace {

int nextId = 0;

std::string OutputPath(const char* kind) {
  return "/tmp/bailan-subprocess-" + std::to_string(::getpid()) + "-" + std::to_string(nextId++) + "." + kind;
}

}  // namespace

TSubprocess::TSubprocess(const std::vector<std::string>& argv)
    : outPath_(OutputPath("out")), errPath_(OutputPath("err")) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const pid_t pid = ::fork();
  child_ = pid;
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int out = ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::execvp(args[0], args.data());  // a bare name is looked up in PATH
    ::_exit(127);
  }
}

TSubprocess::~TSubprocess() {
  if (child_ > 0) {
    ::kill(static_cast<pid_t>(child_), SIGKILL);
    ::waitpid(static_cast<pid_t>(child_), nullptr, 0);
  }
  ::unlink(outPath_.c_str());
  ::unlink(errPath_.c_str());
}

void TSubprocess::Signal(int signal) {
  if (child_ > 0) ::kill(static_cast<pid_t>(child_), signal);
}

int TSubprocess::Wait(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    pid_t done = ::waitpid(static_cast<pid_t>(child_), &status, WNOHANG);
    if (done == static_cast<pid_t>(child_)) {
      child_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(static_cast<pid_t>(child_), SIGKILL);
      ::waitpid(static_cast<pid_t>(child_), nullptr, 0);
      child_ = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::string TSubprocess::Stdout() const {
  return ReadFileBytes(outPath_);
}
std::string TSubprocess::Stderr() const {
  return ReadFileBytes(errPath_);
}

}  // namespace bailan::test

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bailan::test {

// Signals a test sends, by their Linux numbers on every host. On Windows an
// interrupt is Ctrl-C (it reaches every running child of the test program), and
// any other signal ends the child with exit code 128 + the signal.
inline constexpr int kSigHup = 1;
inline constexpr int kSigInt = 2;
inline constexpr int kSigKill = 9;

// A child process for command-line tests: started at construction with its
// stdout and stderr going to files, so that a chatty child never blocks on a
// full pipe. Killed and reaped at destruction if still running.
class TSubprocess {
 public:
  explicit TSubprocess(const std::vector<std::string>& argv);
  ~TSubprocess();
  TSubprocess(const TSubprocess&) = delete;
  TSubprocess& operator=(const TSubprocess&) = delete;

  // Sends `signal` (one of the above).
  void Signal(int signal);
  // Waits at most `timeoutMs`; returns the exit code, 128 + signal for a child
  // killed by a signal, or -1 on time-out (the child is then killed).
  int Wait(int timeoutMs);
  std::string Stdout() const;
  std::string Stderr() const;

 private:
  std::intptr_t child_ = -1;  // the pid on Linux, the process handle on Windows
  std::string outPath_;
  std::string errPath_;
};

// Runs bailan-cli with `args` to its end; returns the exit code.
int RunCli(const std::vector<std::string>& args, std::string* out = nullptr, std::string* err = nullptr,
           int timeoutMs = 60000);

}  // namespace bailan::test

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bailan::test {

// A child process for command-line tests: started at construction with its
// stdout and stderr going to files, so that a chatty child never blocks on a
// full pipe. Killed and reaped at destruction if still running.
class TSubprocess {
 public:
  explicit TSubprocess(const std::vector<std::string>& argv);
  ~TSubprocess();
  TSubprocess(const TSubprocess&) = delete;
  TSubprocess& operator=(const TSubprocess&) = delete;

  // Sends `signal`; on Windows SIGINT becomes Ctrl-C for every running child of
  // this test program, and any other signal ends the child.
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

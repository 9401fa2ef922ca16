#pragma once

#include <sys/types.h>
#include <string>
#include <vector>

namespace bailan::test {

// A child started as the leader of a process group of its own, so that it and
// everything it starts (the driver script, the installer, the web engine's
// helpers) end together: the whole group is killed when a wait runs out and
// when the object goes away, on every path out of a test; and should the test
// process die without unwinding, the leader is sent SIGTERM. Output (stdout and
// stderr together) goes to a file. Linux only; the thread that constructs it
// waits for it and destroys it.
class TProcessGroup {
 public:
  explicit TProcessGroup(const std::vector<std::string>& argv);
  ~TProcessGroup();
  TProcessGroup(const TProcessGroup&) = delete;
  TProcessGroup& operator=(const TProcessGroup&) = delete;

  // Waits at most `timeoutMs` for the leader; its exit code, 128 + signal when a
  // signal ended it, or -1 when the time ran out (the group is killed then).
  int Wait(int timeoutMs);
  // Ends whatever is left of the group: SIGTERM, and after a grace period SIGKILL.
  void KillGroup();
  std::string Output() const;

 private:
  pid_t leader_ = -1;  // also the group's id
  bool reaped_ = false;
  std::string outputPath_;
};

}  // namespace bailan::test

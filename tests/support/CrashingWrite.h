#pragma once

#include <cstdint>
#include <functional>

namespace bailan::test {

enum class TCrashOutcome {
  Crashed,      // the child was killed in the middle of a write
  Finished,     // the work ended without reaching the limit (or failed otherwise)
  Unsupported,  // no way to run it here (Windows has neither fork nor the limit)
};

// Runs `work` in a child process whose writes of a file beyond `bytes` kill it
// on the spot (Linux: RLIMIT_FSIZE with SIGXFSZ's default action, no core
// file): a crash in the middle of writing, the bytes before the limit on disk.
// Waits for the child; the caller's process is left as it was.
TCrashOutcome RunCrashingBeyondFileSize(std::uint64_t bytes, const std::function<void()>& work);

}  // namespace bailan::test

#include "support/CrashingWrite.h"

namespace bailan::test {

TCrashOutcome RunCrashingBeyondFileSize(std::uint64_t /*bytes*/, const std::function<void()>& /*work*/) {
  return TCrashOutcome::Unsupported;
}

}  // namespace bailan::test

#pragma once

#include <atomic>
#include <cstdint>

namespace bailan {

// The transfer engine's fixed figures, in one place so that tests can lower the
// time-outs. Read by every run when it starts its requests.
struct TEngineSettings {
  // A request waits this long for its next byte before it fails.
  std::atomic<std::int32_t> ReadTimeoutMs{30000};
  // A segment whose try ended early after bringing data is asked again at once:
  // the server answered a moment ago. One whose try brought nothing is tried
  // again after this pause, doubled after every further such try, up to
  // RetryMaxPauseMs: a server that is briefly away is not hammered, and one that
  // is back is not waited for long.
  std::atomic<std::int32_t> RetryFirstPauseMs{1000};
  std::atomic<std::int32_t> RetryMaxPauseMs{30000};
  // A slot is given up after this many tries in a row without a block.
  std::atomic<std::int32_t> MaxTriesWithoutData{8};
  // Milliseconds of a retry pause that pass per millisecond of the tick count:
  // 1 in use; tests raise it to go through the whole schedule of pauses (as the
  // log states them) in a moment.
  std::atomic<std::int32_t> RetryClockRate{1};
};

TEngineSettings& EngineSettings();

}  // namespace bailan

#pragma once

#include <atomic>
#include <cstdint>

namespace bailan {

// The transfer engine's fixed figures, in one place so that tests can lower the
// time-outs. Read by every run when it starts its requests.
struct TEngineSettings {
  // A request waits this long for its next byte before it fails.
  std::atomic<std::int32_t> ReadTimeoutMs{30000};
};

TEngineSettings& EngineSettings();

}  // namespace bailan

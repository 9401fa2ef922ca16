#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace bailan {

// The transfer engine's fixed figures, in one place so that tests can lower the
// time-outs. Read by every run when it starts its requests.
struct TEngineSettings {
  // A request waits this long for its next byte before it fails.
  std::atomic<std::int32_t> ReadTimeoutMs{30000};
};

TEngineSettings& EngineSettings();

// The user agent of the size probe and the segment requests.
inline constexpr const char* kEngineUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Maxthon)";

}  // namespace bailan

#include "platform/Tick.h"

#include <chrono>

namespace bailan {

std::uint32_t GetTickCount32() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms.count()));
}

}  // namespace bailan

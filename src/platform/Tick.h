#pragma once

#include <cstdint>

namespace bailan {

// A steady millisecond count truncated to 32 bits: wraps after about 49.7 days.
std::uint32_t GetTickCount32();

// Milliseconds from `earlier` to `later`, taken modulo 2^32 so that a wrap of the
// count in between still gives the right difference.
constexpr std::uint32_t TickDiff(std::uint32_t later, std::uint32_t earlier) {
  return later - earlier;
}

}  // namespace bailan

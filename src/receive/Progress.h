#pragma once

#include <cstdint>

namespace bailan {

// The overall percentage of an installation: 100 x received / total rounded to
// the nearest whole number, a share exactly halfway going to the even one
// (87.5 gives 88, 12.5 gives 12); exact integer arithmetic. 0 when the total is
// not positive; a negative received count counts as 0.
std::int64_t CalcPercent(std::int64_t received, std::int64_t total);

}  // namespace bailan

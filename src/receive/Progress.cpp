#include "receive/Progress.h"

namespace bailan {

std::int64_t CalcPercent(std::int64_t received, std::int64_t total) {
  if (total <= 0 || received <= 0) return 0;
  // Sums of at most 21 resources of at most 2^31 - 1 bytes: 100 x received
  // stays far inside 64 bits.
  const std::int64_t scaled = received * 100;
  const std::int64_t quotient = scaled / total;
  const std::int64_t twiceRest = (scaled % total) * 2;
  if (twiceRest > total || (twiceRest == total && quotient % 2 != 0)) return quotient + 1;
  return quotient;
}

}  // namespace bailan

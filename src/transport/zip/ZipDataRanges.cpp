#include "transport/zip/ZipDataRanges.h"

#include <iterator>

namespace bailan {

bool TZipDataRanges::Take(std::uint64_t start, std::uint64_t end) {
  if (start >= end) return false;
  auto next = taken_.lower_bound(start);  // the first range starting at or after `start`
  if (next != taken_.end() && next->first < end) return false;
  if (next != taken_.begin() && std::prev(next)->second > start) return false;
  taken_.emplace_hint(next, start, end);
  return true;
}

}  // namespace bailan

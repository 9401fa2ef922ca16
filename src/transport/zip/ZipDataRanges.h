#pragma once

#include <cstdint>
#include <map>

namespace bailan {

// The byte ranges of an archive whose data entries were already taken from.
// An archive can point many directory records at one entry's data (or into
// it) to multiply what it writes; taking every range once bounds the output
// by the archive's size times the methods' largest ratio.
class TZipDataRanges {
 public:
  // Takes [start, end) when it overlaps no range taken before; false (and
  // nothing taken) when it does or when it is empty.
  bool Take(std::uint64_t start, std::uint64_t end);

 private:
  std::map<std::uint64_t, std::uint64_t> taken_;  // start -> end, disjoint
};

}  // namespace bailan

#pragma once

#include <cstdint>
#include <string_view>

namespace bailan::demo {

// How a GET is answered after looking at its Range header.
struct TByteRange {
  enum class TKind {
    Whole,          // 200 with the whole file: no range, one we do not serve, or a malformed one
    Part,           // 206 with bytes First..Last (inclusive)
    Unsatisfiable,  // 416: the range starts beyond the end of the file
  };
  TKind Kind = TKind::Whole;
  std::uint64_t First = 0;
  std::uint64_t Last = 0;
};

// Resolves the value of a Range header (empty when there is none) against a file
// of `size` bytes. One range "bytes=A-B", "bytes=A-" or "bytes=-N" is served; a
// list of several ranges and anything malformed are ignored (the whole file), as
// a server may do. An end past the file is cut to its last byte.
TByteRange ResolveByteRange(std::string_view header, std::uint64_t size);

}  // namespace bailan::demo

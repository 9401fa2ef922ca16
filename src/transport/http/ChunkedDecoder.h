#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Stream.h"

namespace bailan {

// The size of a chunk from its size line: the text before the first space read
// as a hexadecimal number; 0 when it is none. A size above kMaxChunkSize raises
// EConvertError: no chunk may announce more than a body can hold.
inline constexpr std::int64_t kMaxChunkSize = 2147483647;
std::int64_t ParseChunkSize(std::string_view line);

// Reads a chunked body from `source` into `target`: size line, that many bytes,
// the line after them; until the size 0, after which one more line is read and
// dropped (trailer headers are not supported). `Source` offers
// std::string ReadLine() and void ReadToStream(TStream&, std::int64_t count),
// as TTcpConnection does.
template <typename Source>
void ReadChunkedBody(Source& source, TStream& target) {
  for (std::int64_t size = ParseChunkSize(source.ReadLine()); size > 0;
       size = ParseChunkSize(source.ReadLine())) {
    source.ReadToStream(target, size);
    source.ReadLine();
  }
  source.ReadLine();
}

}  // namespace bailan

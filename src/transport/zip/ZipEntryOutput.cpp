#include "transport/zip/ZipEntryOutput.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace bailan {
namespace {

// zlib's crc32 takes a 32-bit length.
constexpr std::size_t kMaxCrcChunk = std::numeric_limits<uInt>::max();

std::uint32_t UpdateCrc(std::uint32_t crc, const unsigned char* data, std::size_t length) {
  while (length > 0) {
    std::size_t n = std::min(length, kMaxCrcChunk);
    crc = static_cast<std::uint32_t>(::crc32(crc, data, static_cast<uInt>(n)));
    data += n;
    length -= n;
  }
  return crc;
}

}  // namespace

TZipEntryOutput::TZipEntryOutput(TZipByteSink& sink, std::uint64_t expectedSize)
    : sink_(sink), expected_(expectedSize) {}

void TZipEntryOutput::Write(const unsigned char* data, std::size_t length) {
  if (length > expected_ - count_) {
    overflowed_ = true;
    length = static_cast<std::size_t>(expected_ - count_);
  }
  if (length == 0) return;
  crc_ = UpdateCrc(crc_, data, length);
  count_ += length;
  sink_.Put(data, length);
}

}  // namespace bailan

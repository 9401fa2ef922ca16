#include "transport/zip/ZipFileReader.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace bailan {

TZipFileReader::TZipFileReader(TFile& file, std::uint64_t offset)
    : file_(file), buffer_(new unsigned char[kBufferSize]), position_(offset) {}

void TZipFileReader::SeekTo(std::uint64_t offset) {
  position_ = offset;
}

void TZipFileReader::Skip(std::uint64_t count) {
  constexpr std::uint64_t kLast = std::numeric_limits<std::uint64_t>::max();
  position_ = count > kLast - position_ ? kLast : position_ + count;
}

bool TZipFileReader::Fill() {
  // Offsets beyond what a file position can hold lie past any real file's end.
  if (position_ > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
  bufferStart_ = position_;
  bufferLength_ = file_.ReadAt(static_cast<std::int64_t>(position_), buffer_.get(), kBufferSize);
  return bufferLength_ > 0;
}

bool TZipFileReader::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    if (position_ < bufferStart_ || position_ >= bufferStart_ + bufferLength_) {
      if (!Fill()) return false;
    }
    std::size_t offset = static_cast<std::size_t>(position_ - bufferStart_);
    std::size_t n = std::min(count, bufferLength_ - offset);
    std::memcpy(out, buffer_.get() + offset, n);
    out += n;
    count -= n;
    position_ += n;
  }
  return true;
}

bool ReadZipBytesAt(const TFile& file, std::uint64_t offset, void* buffer, std::size_t count) {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
  auto* out = static_cast<unsigned char*>(buffer);
  auto at = static_cast<std::int64_t>(offset);
  while (count > 0) {
    const std::size_t n = file.ReadAt(at, out, count);
    if (n == 0) return false;
    at += static_cast<std::int64_t>(n);
    out += n;
    count -= n;
  }
  return true;
}

}  // namespace bailan

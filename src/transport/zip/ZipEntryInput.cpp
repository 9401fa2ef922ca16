#include "transport/zip/ZipEntryInput.h"

#include <algorithm>
#include <limits>

#include "transport/zip/ZipExceptions.h"

namespace bailan {

TZipEntryInput::TZipEntryInput(const TFile& archive, std::uint64_t offset, std::uint64_t compressedSize,
                               unsigned char* buffer, std::size_t bufferSize)
    : archive_(archive),
      position_(offset),
      remaining_(compressedSize),
      buffer_(buffer),
      bufferSize_(bufferSize) {}

bool TZipEntryInput::Next(const unsigned char*& data, std::size_t& length) {
  if (remaining_ == 0) return false;
  if (position_ > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
    throw EFatalUnzipError(kPrematureEndText);
  }
  std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, bufferSize_));
  const std::size_t got = archive_.ReadAt(static_cast<std::int64_t>(position_), buffer_, want);
  if (got == 0) throw EFatalUnzipError(kPrematureEndText);
  position_ += got;
  remaining_ -= got;
  data = buffer_;
  length = got;
  return true;
}

}  // namespace bailan

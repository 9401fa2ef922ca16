#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/File.h"

namespace bailan {

// The compressed data of one entry: exactly its compressed size, read from the
// archive in blocks into a buffer the caller lends. When the archive ends
// before the compressed size, Next() raises EFatalUnzipError.
class TZipEntryInput {
 public:
  // `archive` and `buffer` are borrowed for this object's life; one thread
  // uses this object, while others may read the same archive (reads are
  // positioned: the archive's own position is never used).
  TZipEntryInput(const TFile& archive, std::uint64_t offset, std::uint64_t compressedSize,
                 unsigned char* buffer, std::size_t bufferSize);
  TZipEntryInput(const TZipEntryInput&) = delete;
  TZipEntryInput& operator=(const TZipEntryInput&) = delete;

  // The next block (at most the buffer's size); false when the data is used up.
  bool Next(const unsigned char*& data, std::size_t& length);
  std::uint64_t Remaining() const { return remaining_; }

 private:
  const TFile& archive_;
  std::uint64_t position_;
  std::uint64_t remaining_;
  unsigned char* buffer_;
  std::size_t bufferSize_;
};

}  // namespace bailan

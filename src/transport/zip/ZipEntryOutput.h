#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/File.h"

namespace bailan {

// Where an entry's decoded bytes go: the output file, through a buffer the
// caller lends, with the CRC-32 computed on the way. Bytes past the entry's
// uncompressed size are not written; they mark the output as overflowed.
class TZipEntryOutput {
 public:
  // `file` and `buffer` are borrowed for this object's life; one thread.
  TZipEntryOutput(TFile& file, std::uint64_t expectedSize, unsigned char* buffer, std::size_t bufferSize);
  TZipEntryOutput(const TZipEntryOutput&) = delete;
  TZipEntryOutput& operator=(const TZipEntryOutput&) = delete;

  void Write(const unsigned char* data, std::size_t length);
  // Writes what is buffered.
  void Flush();

  std::uint32_t Crc32() const { return crc_; }
  std::uint64_t Count() const { return count_; }
  std::uint64_t ExpectedSize() const { return expected_; }
  bool Overflowed() const { return overflowed_; }

 private:
  TFile& file_;
  std::uint64_t expected_;
  unsigned char* buffer_;
  std::size_t bufferSize_;
  std::size_t buffered_ = 0;
  std::uint64_t count_ = 0;
  std::uint32_t crc_ = 0;
  bool overflowed_ = false;
};

}  // namespace bailan

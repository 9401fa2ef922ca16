#pragma once

#include <cstddef>
#include <cstdint>

namespace bailan {

// Where an entry's checked bytes go next.
class TZipByteSink {
 public:
  virtual ~TZipByteSink() = default;
  virtual void Put(const unsigned char* data, std::size_t length) = 0;
};

// Where a decoder's bytes go: on to a sink, with the CRC-32 computed and the
// bytes counted on the way. Bytes past the entry's uncompressed size are not
// passed on; they mark the output as overflowed.
class TZipEntryOutput {
 public:
  // `sink` is borrowed for this object's life; one thread.
  TZipEntryOutput(TZipByteSink& sink, std::uint64_t expectedSize);
  TZipEntryOutput(const TZipEntryOutput&) = delete;
  TZipEntryOutput& operator=(const TZipEntryOutput&) = delete;

  void Write(const unsigned char* data, std::size_t length);

  std::uint32_t Crc32() const { return crc_; }
  std::uint64_t Count() const { return count_; }
  std::uint64_t ExpectedSize() const { return expected_; }
  bool Overflowed() const { return overflowed_; }

 private:
  TZipByteSink& sink_;
  std::uint64_t expected_;
  std::uint64_t count_ = 0;
  std::uint32_t crc_ = 0;
  bool overflowed_ = false;
};

}  // namespace bailan

#pragma once

#include <cstddef>
#include <cstdint>

#include "transport/zip/ZipEntryInput.h"

namespace bailan {

// Reads the bit stream of the old ZIP methods (shrink, reduce, implode): bits
// are taken from the least significant end of each byte first. Past the end of
// the entry's data the stream reads as zero bits, as a decoder peeking ahead
// needs; once more than kMaxPaddingBytes of them were supplied the stream counts
// as exhausted and decoders stop (damaged data then fails the CRC check).
class TZipBitReader {
 public:
  static constexpr std::size_t kMaxPaddingBytes = 8;

  // `input` is borrowed for this object's life; one thread.
  explicit TZipBitReader(TZipEntryInput& input) : input_(input) {}
  TZipBitReader(const TZipBitReader&) = delete;
  TZipBitReader& operator=(const TZipBitReader&) = delete;

  // The next `count` (0 to 24) bits without consuming them.
  std::uint32_t Peek(unsigned count) {
    while (available_ < count) Refill();
    return static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << count) - 1));
  }
  void Skip(unsigned count) {
    bits_ >>= count;
    available_ -= count;
  }
  std::uint32_t Read(unsigned count) {
    std::uint32_t value = Peek(count);
    Skip(count);
    return value;
  }
  bool Exhausted() const { return padding_ > kMaxPaddingBytes; }

 private:
  void Refill() {
    if (next_ == end_) {
      std::size_t length = 0;
      if (!input_.Next(next_, length)) {
        next_ = end_ = nullptr;
        ++padding_;  // a zero byte past the end
        available_ += 8;
        return;
      }
      end_ = next_ + length;
    }
    bits_ |= static_cast<std::uint64_t>(*next_++) << available_;
    available_ += 8;
  }

  TZipEntryInput& input_;
  const unsigned char* next_ = nullptr;
  const unsigned char* end_ = nullptr;
  std::uint64_t bits_ = 0;
  unsigned available_ = 0;
  std::size_t padding_ = 0;
};

}  // namespace bailan

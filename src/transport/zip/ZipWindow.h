#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "transport/zip/ZipEntryOutput.h"

namespace bailan {

// The history of the old ZIP methods' output: a circular buffer that also
// batches the bytes for the output. Positions before the start of the entry
// read as zero bytes, as the formats define.
class TZipWindow {
 public:
  // Larger than the longest distance of any method (8192 for implode, 4096 for
  // reduce), a power of two so that positions wrap by masking.
  static constexpr std::size_t kSize = 65536;
  static constexpr std::size_t kMask = kSize - 1;

  // `output` is borrowed for this object's life; one thread.
  explicit TZipWindow(TZipEntryOutput& output) : output_(output), buffer_(new unsigned char[kSize]()) {}
  TZipWindow(const TZipWindow&) = delete;
  TZipWindow& operator=(const TZipWindow&) = delete;
  ~TZipWindow() = default;

  std::uint64_t Total() const { return total_; }

  void Put(unsigned char byte) {
    buffer_[position_++] = byte;
    ++total_;
    if (position_ == kSize) Wrap();
  }
  // Copies `length` bytes from `distance` (1 to kSize) bytes back.
  void Copy(std::size_t distance, std::size_t length) {
    while (length-- > 0) Put(buffer_[(position_ - distance) & kMask]);
  }
  // Hands what was not yet written to the output.
  void Flush() {
    output_.Write(buffer_.get() + flushed_, position_ - flushed_);
    flushed_ = position_;
  }

 private:
  void Wrap() {
    Flush();
    position_ = 0;
    flushed_ = 0;
  }

  TZipEntryOutput& output_;
  std::unique_ptr<unsigned char[]> buffer_;
  std::size_t position_ = 0;
  std::size_t flushed_ = 0;
  std::uint64_t total_ = 0;
};

}  // namespace bailan

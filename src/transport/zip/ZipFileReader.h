#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/File.h"

namespace bailan {

// Sequential buffered reading of an archive from a chosen offset: the directory
// reader walks headers with it, the recovery scan searches signatures with it.
class TZipFileReader {
 public:
  static constexpr std::size_t kBufferSize = 65536;  // one read per 64 KiB of headers

  // `file` is borrowed and must stay open while this reader is used; one thread.
  TZipFileReader(TFile& file, std::uint64_t offset);
  TZipFileReader(const TZipFileReader&) = delete;
  TZipFileReader& operator=(const TZipFileReader&) = delete;

  std::uint64_t Position() const { return position_; }
  void SeekTo(std::uint64_t offset);
  // Copies exactly `count` bytes and advances; false (position unspecified) when
  // the file ends first.
  bool Read(void* buffer, std::size_t count);
  // Advances by `count` bytes without reading them; a count past every possible
  // offset leaves the position at the largest one (nothing can be read there).
  void Skip(std::uint64_t count);

 private:
  bool Fill();

  TFile& file_;
  std::unique_ptr<unsigned char[]> buffer_;
  std::uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
  std::size_t bufferLength_ = 0;
  std::uint64_t position_ = 0;
};

// Reads exactly `count` bytes at `offset` without a buffer of its own (for a
// single header); false when the file ends first. The file's position is left
// alone, so threads may read one file this way at once.
bool ReadZipBytesAt(const TFile& file, std::uint64_t offset, void* buffer, std::size_t count);

}  // namespace bailan

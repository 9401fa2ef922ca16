#pragma once

#include <cstddef>
#include <memory>

#include "transport/zip/InflateDecoder.h"

namespace bailan {

// The buffers and the inflate stream a decoding thread reuses for every entry.
// Large blocks keep system calls few; together they stay well under a megabyte.
class TZipExtractBuffers {
 public:
  static constexpr std::size_t kReadBlockSize = 131072;     // compressed data per archive read
  static constexpr std::size_t kInflateChunkSize = 262144;  // inflated bytes per zlib call

  // Owns everything; one thread.
  TZipExtractBuffers()
      : Read(new unsigned char[kReadBlockSize]),
        InflateChunk(new unsigned char[kInflateChunkSize]),
        Inflater(InflateChunk.get(), kInflateChunkSize) {}
  TZipExtractBuffers(const TZipExtractBuffers&) = delete;
  TZipExtractBuffers& operator=(const TZipExtractBuffers&) = delete;

  std::unique_ptr<unsigned char[]> Read;
  std::unique_ptr<unsigned char[]> InflateChunk;
  TInflateDecoder Inflater;
};

}  // namespace bailan

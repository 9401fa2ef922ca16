#pragma once

#include <zlib.h>

#include <cstddef>

#include "transport/zip/ZipEntryInput.h"
#include "transport/zip/ZipEntryOutput.h"

namespace bailan {

// Decodes method 8 (deflated) with zlib's raw inflate (window bits -15). One
// stream is set up once and reset for every entry.
class TInflateDecoder {
 public:
  // Owns its zlib stream; `scratch` (scratchSize bytes) is borrowed for this
  // object's life and receives the inflated bytes. One thread.
  TInflateDecoder(unsigned char* scratch, std::size_t scratchSize);
  ~TInflateDecoder();
  TInflateDecoder(const TInflateDecoder&) = delete;
  TInflateDecoder& operator=(const TInflateDecoder&) = delete;

  // Inflates the entry's data into `output` until the deflate stream ends, the
  // data is used up, or more than the entry's size came out. Raises
  // EZCompressionError for a stream zlib rejects and EFatalUnzipError when the
  // archive ends early.
  void Decode(TZipEntryInput& input, TZipEntryOutput& output);

 private:
  z_stream stream_{};
  unsigned char* scratch_;
  std::size_t scratchSize_;
};

}  // namespace bailan

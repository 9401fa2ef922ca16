#include "transport/InflateDecoder.h"

#include <algorithm>
#include <limits>

#include "transport/ZipExceptions.h"

namespace bailan {
namespace {

constexpr int kRawDeflateWindowBits = -15;  // no zlib header, 32 KiB window

}  // namespace

TInflateDecoder::TInflateDecoder(unsigned char* scratch, std::size_t scratchSize)
    : scratch_(scratch), scratchSize_(std::min<std::size_t>(scratchSize, std::numeric_limits<uInt>::max())) {
  if (inflateInit2(&stream_, kRawDeflateWindowBits) != Z_OK) throw EZCompressionError(kZCompressionErrorText);
}

TInflateDecoder::~TInflateDecoder() {
  inflateEnd(&stream_);
}

void TInflateDecoder::Decode(TZipEntryInput& input, TZipEntryOutput& output) {
  if (inflateReset(&stream_) != Z_OK) throw EZCompressionError(kZCompressionErrorText);
  stream_.avail_in = 0;
  for (;;) {
    if (stream_.avail_in == 0) {
      const unsigned char* data;
      std::size_t length;
      if (!input.Next(data, length)) return;  // the data ended inside the stream
      stream_.next_in = const_cast<unsigned char*>(data);
      stream_.avail_in = static_cast<uInt>(length);
    }
    stream_.next_out = scratch_;
    stream_.avail_out = static_cast<uInt>(scratchSize_);
    int rc = inflate(&stream_, Z_NO_FLUSH);
    std::size_t produced = scratchSize_ - stream_.avail_out;
    output.Write(scratch_, produced);
    if (rc == Z_STREAM_END || output.Overflowed()) return;
    if (rc == Z_BUF_ERROR && produced == 0 && stream_.avail_in != 0) {
      throw EZCompressionError(kZCompressionErrorText);
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) throw EZCompressionError(kZCompressionErrorText);
  }
}

}  // namespace bailan

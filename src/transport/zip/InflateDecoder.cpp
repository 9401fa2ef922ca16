#include "transport/zip/InflateDecoder.h"

#include <algorithm>
#include <limits>

#include "transport/zip/ZipExceptions.h"

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

// The scratch buffer is handed on only when full (or at the end), so that
// every block goes to the file in one piece without another copy.
void TInflateDecoder::Decode(TZipEntryInput& input, TZipEntryOutput& output) {
  if (inflateReset(&stream_) != Z_OK) throw EZCompressionError(kZCompressionErrorText);
  stream_.avail_in = 0;
  stream_.next_out = scratch_;
  stream_.avail_out = static_cast<uInt>(scratchSize_);
  auto handOn = [&] {
    output.Write(scratch_, scratchSize_ - stream_.avail_out);
    stream_.next_out = scratch_;
    stream_.avail_out = static_cast<uInt>(scratchSize_);
  };
  for (;;) {
    if (stream_.avail_in == 0) {
      const unsigned char* data;
      std::size_t length;
      if (!input.Next(data, length)) {  // the data ended inside the stream
        handOn();
        return;
      }
      stream_.next_in = const_cast<unsigned char*>(data);
      stream_.avail_in = static_cast<uInt>(length);
    }
    uInt roomBefore = stream_.avail_out;
    int rc = inflate(&stream_, Z_NO_FLUSH);
    bool progressed = stream_.avail_out != roomBefore;
    if (rc == Z_STREAM_END) {
      handOn();
      return;
    }
    if (stream_.avail_out == 0) {
      handOn();
      if (output.Overflowed()) return;
    }
    if (rc == Z_BUF_ERROR && !progressed && stream_.avail_in != 0 && stream_.avail_out != 0) {
      throw EZCompressionError(kZCompressionErrorText);
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) throw EZCompressionError(kZCompressionErrorText);
  }
}

}  // namespace bailan

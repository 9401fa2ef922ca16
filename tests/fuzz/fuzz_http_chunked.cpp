// Fuzzes the chunked body decoder over an in-memory connection: size lines,
// chunk data, the lines after each chunk and the end. The decoded body may never
// be larger than the input, whatever sizes the chunks announce.
#include <cstdint>

#include "fuzz_http_source.h"
#include "platform/MemoryStream.h"
#include "transport/http/ChunkedDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bailan;
  fuzz::TByteSource source(data, size);
  TMemoryStream body;
  try {
    ReadChunkedBody(source, body);
  } catch (const Exception&) {
    // A failure with the system's class and text is a correct outcome.
  }
  if (body.Size() > static_cast<std::int64_t>(size)) __builtin_trap();
  return 0;
}

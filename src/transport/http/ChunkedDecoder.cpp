#include "transport/http/ChunkedDecoder.h"

#include "transport/http/NetExceptions.h"

namespace bailan {

std::int64_t ParseChunkSize(std::string_view line) {
  std::string_view digits = line.substr(0, line.find(' '));
  if (digits.empty()) return 0;
  std::int64_t size = 0;
  for (char c : digits) {
    int value;
    if (c >= '0' && c <= '9') {
      value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      value = c - 'A' + 10;
    } else {
      return 0;
    }
    size = size * 16 + value;
    if (size > kMaxChunkSize) RaiseNotAnInteger("$" + std::string(digits));
  }
  return size;
}

}  // namespace bailan

#include "platform/Cp936.h"

namespace bailan {

std::size_t Cp936FindLast(std::string_view text, char c) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); i += Cp936CharLength(text, i)) {
    if (text[i] == c) found = i;
  }
  return found;
}

std::size_t Cp936FindFirst(std::string_view text, char c, std::size_t from) {
  for (std::size_t i = from; i < text.size(); i += Cp936CharLength(text, i)) {
    if (text[i] == c) return i;
  }
  return std::string_view::npos;
}

std::size_t Utf8SequenceLength(std::string_view text) {
  unsigned char c = static_cast<unsigned char>(text[0]);
  std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
  if (n > text.size()) return 1;
  for (std::size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

}  // namespace bailan

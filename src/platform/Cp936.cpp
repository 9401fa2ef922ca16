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

}  // namespace bailan

#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/Cp936.h"

namespace bailan {

// A fixed text field of N bytes inside a record, as the system stores names, URLs
// and paths: the text's CP936 bytes followed by a NUL. Reading yields the bytes
// before the first NUL, or all N bytes when there is none. Writing stores the
// bytes and one NUL and leaves the rest of the field as it was; a text longer
// than N - 1 bytes is cut at the last whole CP936 character that fits.
template <std::size_t N>
struct TTextField {
  static_assert(N >= 1, "a text field holds at least its NUL");
  char Bytes[N] = {};

  std::string Get() const { return std::string(Bytes, ::strnlen(Bytes, N)); }

  void Set(std::string_view text) {
    std::size_t length = FittingLength(text);
    std::memcpy(Bytes, text.data(), length);
    Bytes[length] = '\0';
  }

  TTextField& operator=(std::string_view text) {
    Set(text);
    return *this;
  }

  // Number of leading bytes of `text` that fit in N - 1 bytes without splitting a
  // double-byte character.
  static std::size_t FittingLength(std::string_view text) {
    std::size_t fit = 0;
    for (std::size_t i = 0; i < text.size();) {
      std::size_t next = i + Cp936CharLength(text, i);
      if (next > N - 1) break;
      fit = i = next;
    }
    return fit;
  }
};

}  // namespace bailan

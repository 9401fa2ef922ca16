#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The system's text is a byte string in code page 936 (GBK). These functions are
// the only places where it meets other encodings: UTF-8 for the Linux file system,
// terminals and source literals, UTF-16 for display.
namespace bailan {

// True for a byte that begins a double-byte CP936 character (0x81..0xFE).
constexpr bool IsCp936LeadByte(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}

// Length in bytes (1 or 2) of the character that starts at `pos`. A lead byte at
// the very end of the text counts as a single byte.
inline std::size_t Cp936CharLength(std::string_view text, std::size_t pos) {
  return (IsCp936LeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) ? 2 : 1;
}

// Position of the last `c` (an ASCII byte) in `text` that is not the trail byte of
// a double-byte character; std::string_view::npos when there is none.
std::size_t Cp936FindLast(std::string_view text, char c);

// Position of the first such `c` at or after `from`, which must begin a
// character (0, or just past an earlier find); npos when there is none. The
// scan starts at `from`, so a loop of finds over a text is linear.
std::size_t Cp936FindFirst(std::string_view text, char c, std::size_t from = 0);

// CP936 to UTF-8. Bytes that are not valid CP936 become U+FFFD.
std::string Cp936ToUtf8(std::string_view text);

// CP936 to UTF-16, for display.
std::u16string Cp936ToUtf16(std::string_view text);

// UTF-8 to CP936. A character that CP936 cannot hold, or a byte that is not valid
// UTF-8, becomes `replacement`.
std::string Utf8ToCp936(std::string_view text, char replacement = '_');

// A UTF-8 source literal as CP936, converted once per call site: Cp("安装完成！").
// The literal must be representable in CP936.
#define Cp(literal)                                                      \
  ([]() -> const std::string& {                                          \
    static const std::string converted = ::bailan::Utf8ToCp936(literal); \
    return converted;                                                    \
  }())

}  // namespace bailan

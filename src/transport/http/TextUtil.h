#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Small text helpers of the HTTP layer. Texts are byte strings; case folding
// touches ASCII letters only, so CP936 double-byte characters pass unchanged.
namespace bailan {

bool SameTextIgnoreCase(std::string_view a, std::string_view b);
// Position of `needle` in `text` ignoring ASCII case, or npos.
std::size_t FindIgnoreCase(std::string_view text, std::string_view needle);
// Without leading and trailing spaces, tabs and control characters.
std::string_view TrimView(std::string_view text);
inline std::string Trim(std::string_view text) {
  return std::string(TrimView(text));
}
// True when `text` holds a control character (below 0x20, or 0x7F): such a
// byte taken from an answer must never reach the next request's head.
bool HasControlCharacter(std::string_view text);

// The text before the first `delimiter` (all of it when there is none); `text`
// keeps what follows the delimiter.
std::string_view Fetch(std::string_view& text, char delimiter);

// Signed decimal integers with an optional sign; nothing else is accepted, and a
// value outside the type's range is no such integer.
std::optional<std::int32_t> ParseInt32(std::string_view text);
std::optional<std::int64_t> ParseInt64(std::string_view text);

}  // namespace bailan

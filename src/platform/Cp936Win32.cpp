// CP936 conversions through the Windows code page tables, always with code page
// 936 named explicitly.
#include "platform/Cp936.h"
#include "platform/Win32Api.h"

namespace bailan {
namespace {

constexpr wchar_t kReplacementCharacter = 0xFFFD;

// Converts `text` from `codePage` in one call; false when a byte sequence is
// invalid in that code page.
bool MultiByteToWideStrict(UINT codePage, std::string_view text, std::wstring& out) {
  out.clear();
  if (text.empty()) return true;
  const int length = static_cast<int>(text.size());
  int needed = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (needed <= 0) return false;
  out.resize(static_cast<std::size_t>(needed));
  return ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, out.data(), needed) ==
         needed;
}

// Converts `text` into `codePage`; false when a character has no spelling there.
// UTF-8 neither allows nor needs the check for a default character.
bool WideToMultiByteStrict(UINT codePage, std::wstring_view text, std::string& out) {
  out.clear();
  if (text.empty()) return true;
  const int length = static_cast<int>(text.size());
  const bool checked = codePage != CP_UTF8;
  const DWORD flags = checked ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultArg = checked ? &usedDefault : nullptr;
  int needed =
      ::WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultArg);
  if (needed <= 0 || usedDefault) return false;
  out.resize(static_cast<std::size_t>(needed));
  needed = ::WideCharToMultiByte(codePage, flags, text.data(), length, out.data(), needed, nullptr,
                                 usedDefaultArg);
  return needed == static_cast<int>(out.size()) && !usedDefault;
}

// Converts `text` character by character where the whole text does not convert
// at once: every character that fails becomes `replacement`.
template <typename CharLength, typename ConvertOne>
void ConvertEach(std::string_view text, CharLength charLength, ConvertOne convertOne) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = charLength(text.substr(i));
    convertOne(text.substr(i, length));
    i += length;
  }
}

}  // namespace

std::wstring Cp936ToWide(std::string_view text) {
  std::wstring out;
  if (MultiByteToWideStrict(kSystemCodePage, text, out)) return out;
  out.clear();
  std::wstring one;
  ConvertEach(
      text, [](std::string_view s) { return Cp936CharLength(s, 0); },
      [&](std::string_view c) {
        if (MultiByteToWideStrict(kSystemCodePage, c, one)) {
          out += one;
        } else {
          out += kReplacementCharacter;
        }
      });
  return out;
}

std::string WideToCp936(std::wstring_view text, char replacement) {
  std::string out;
  if (WideToMultiByteStrict(kSystemCodePage, text, out)) return out;
  out.clear();
  std::string one;
  for (std::size_t i = 0; i < text.size();) {
    // A surrogate pair is one character.
    const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    const std::size_t length = pair ? 2 : 1;
    if (WideToMultiByteStrict(kSystemCodePage, text.substr(i, length), one)) {
      out += one;
    } else {
      out += replacement;
    }
    i += length;
  }
  return out;
}

std::string Cp936ToUtf8(std::string_view text) {
  std::string out;
  WideToMultiByteStrict(CP_UTF8, Cp936ToWide(text), out);
  return out;
}

std::u16string Cp936ToUtf16(std::string_view text) {
  const std::wstring wide = Cp936ToWide(text);
  return std::u16string(wide.begin(), wide.end());
}

std::string Utf8ToCp936(std::string_view text, char replacement) {
  std::wstring wide;
  if (MultiByteToWideStrict(CP_UTF8, text, wide)) return WideToCp936(wide, replacement);
  std::string out;
  ConvertEach(text, Utf8SequenceLength, [&](std::string_view c) {
    if (MultiByteToWideStrict(CP_UTF8, c, wide)) {
      out += WideToCp936(wide, replacement);
    } else {
      out += replacement;
    }
  });
  return out;
}

}  // namespace bailan

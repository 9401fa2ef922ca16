#include "win32/common/WideText.h"

#include <windows.h>

#include <limits>

namespace bailan {

std::wstring Wide(std::string_view cp936) {
  if (cp936.empty() || cp936.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
  const int bytes = static_cast<int>(cp936.size());
  const int length = MultiByteToWideChar(kTextCodePage, 0, cp936.data(), bytes, nullptr, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(kTextCodePage, 0, cp936.data(), bytes, text.data(), length);
  return text;
}

std::string Narrow(std::wstring_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
  const int units = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(kTextCodePage, 0, text.data(), units, nullptr, 0, "?", nullptr);
  if (length <= 0) return {};
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(kTextCodePage, 0, text.data(), units, bytes.data(), length, "?", nullptr);
  return bytes;
}

}  // namespace bailan

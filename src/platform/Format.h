#pragma once

#include <cstdio>
#include <string>
#include <type_traits>

namespace bailan {

namespace detail {
template <typename T>
auto FormatArg(const T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    return value.c_str();
  } else {
    return value;
  }
}
}  // namespace detail

// printf-style formatting into a std::string, for the system's format strings
// ("%.2f", "%.2d", "%d", "%s(%d)%s", the log lines). std::string arguments are
// passed as their bytes, which must hold no NUL.
template <typename... Args>
std::string Format(const char* format, const Args&... args) {
  int length = std::snprintf(nullptr, 0, format, detail::FormatArg(args)...);
  if (length <= 0) return std::string();
  std::string out(static_cast<std::size_t>(length), '\0');
  std::snprintf(out.data(), out.size() + 1, format, detail::FormatArg(args)...);
  return out;
}

inline std::string IntToStr(long long value) {
  return Format("%lld", value);
}

}  // namespace bailan

#include "platform/Path.h"

#include <algorithm>

#include "platform/Cp936.h"

namespace bailan {

bool EndsWithPathDelim(std::string_view path) {
  if (path.empty()) return false;
  std::size_t last = Cp936FindLast(path, PathDelim);
  return last != std::string_view::npos && last + 1 == path.size();
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  std::string out(path);
  if (!EndsWithPathDelim(path)) out += PathDelim;
  return out;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
  // One pass: the text up to its last character that is not a separator, and
  // at least its first character ("/" stays "/").
  std::size_t end = 0;
  for (std::size_t i = 0; i < path.size(); i += Cp936CharLength(path, i)) {
    if (path[i] != PathDelim) end = i + Cp936CharLength(path, i);
  }
  return std::string(path.substr(0, path.empty() ? 0 : std::max<std::size_t>(end, 1)));
}

std::string ExtractFileName(std::string_view path) {
  std::size_t delim = Cp936FindLast(path, PathDelim);
  return std::string(delim == std::string_view::npos ? path : path.substr(delim + 1));
}

std::string ExtractFilePath(std::string_view path) {
  std::size_t delim = Cp936FindLast(path, PathDelim);
  return delim == std::string_view::npos ? std::string() : std::string(path.substr(0, delim + 1));
}

std::string ExtractFileExt(std::string_view path) {
  std::size_t nameStart = path.size() - ExtractFileName(path).size();
  std::size_t dot = Cp936FindLast(path.substr(nameStart), '.');
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(nameStart + dot));
}

}  // namespace bailan

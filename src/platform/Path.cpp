#include "platform/Path.h"

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
  std::string out(path);
  while (EndsWithPathDelim(out) && out.size() > 1) out.pop_back();
  return out;
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

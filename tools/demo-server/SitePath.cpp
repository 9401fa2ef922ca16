#include "SitePath.h"

#include <algorithm>

namespace bailan::demo {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(const std::string& path) {
  std::string decoded;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '%' && i + 2 < path.size() && HexDigit(path[i + 1]) >= 0 && HexDigit(path[i + 2]) >= 0) {
      decoded += static_cast<char>(HexDigit(path[i + 1]) * 16 + HexDigit(path[i + 2]));
      i += 2;
    } else {
      decoded += path[i];
    }
  }
  return decoded;
}

// A name that means the same file on every host: not a way up or to the
// folder itself, and none of the bytes that start an absolute, drive or stream
// path somewhere ("\\", "C:", "a:stream").
bool PlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("\\:\0", 3)) == std::string::npos;
}

// Whether `path` is `folder` or lies below it; both are canonical.
bool Inside(const std::filesystem::path& folder, const std::filesystem::path& path) {
  const auto [folderEnd, pathAt] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return folderEnd == folder.end();
}

}  // namespace

std::filesystem::path FileOfTarget(const std::filesystem::path& site, const std::string& target) {
  const std::string path = PercentDecoded(target.substr(0, target.find_first_of("?#")));
  if (path.size() < 2 || path[0] != '/') return {};
  std::filesystem::path file = site;
  for (std::size_t from = 1; from <= path.size();) {
    std::size_t end = path.find('/', from);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(from, end - from);
    if (!PlainName(name)) return {};
    file /= name;
    from = end + 1;
  }
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(file, error);
  if (error || !Inside(site, real) || !std::filesystem::is_regular_file(real, error)) return {};
  return real;
}

}  // namespace bailan::demo

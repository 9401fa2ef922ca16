#include "platform/FileNames.h"
#include "platform/HostPath.h"

namespace bailan {

bool IsCreatableName(std::string_view name) {
  // Linux takes every name but these: the folder's own entries and names that
  // hold its separator or end the path early. UTF-8 never has "/" or NUL inside
  // a character, and CP936 never has them as a trail byte.
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

std::string HostNameKey(std::string_view path) {
  const std::string host = ToHostPath(std::string(path));
  std::string key;
  key.reserve(host.size());
  for (char c : host) {
    if (c == '/' && !key.empty() && key.back() == '/') continue;
    key += c;
  }
  return key;
}

}  // namespace bailan

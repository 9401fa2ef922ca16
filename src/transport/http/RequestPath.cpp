#include "transport/http/RequestPath.h"

#include <string_view>
#include <vector>

namespace bailan {

std::string MergeRequestPath(const std::string& current, const std::string& newPath) {
  if (!newPath.empty() && newPath.front() == '/') return newPath;
  std::string joined = current;
  if (joined.empty() || joined.back() != '/') joined += '/';
  joined += newPath;

  std::vector<std::string_view> segments;
  std::string_view rest = joined;
  while (!rest.empty()) {
    std::size_t slash = rest.find('/');
    std::string_view segment = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (segment.empty()) continue;
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
      continue;
    }
    segments.push_back(segment);
  }
  std::string result = "/";
  for (std::size_t i = 0; i < segments.size(); ++i) {
    if (i > 0) result += '/';
    result += segments[i];
  }
  const bool trailing = newPath.empty() || newPath.back() == '/';
  if (trailing && !segments.empty()) result += '/';
  return result;
}

}  // namespace bailan

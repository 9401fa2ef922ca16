#include "transport/zip/ZipDestination.h"

#include <string_view>
#include <vector>

#include "platform/Cp936.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace bailan {
namespace {

constexpr char kArchiveDelim = '\\';  // entry names use "\" after reading

bool IsDotSegment(std::string_view segment) {
  return segment == "." || segment == "..";
}

// A segment must stay one plain name in the host's spelling too: no NUL (which
// would cut the host path short), no separator of the host, nothing the host
// takes for a device or changes (IsCreatableName), and nothing that could pass
// for a job's partial or resume file.
bool IsSafeSegment(std::string_view segment) {
  return !segment.empty() && !IsDotSegment(segment) && segment.find('\0') == std::string_view::npos &&
         segment.find('/') == std::string_view::npos &&
         Cp936FindFirst(segment, PathDelim) == std::string_view::npos && IsCreatableName(segment) &&
         !IsJobFileName(segment);
}

// Splits on "\" (stepping over double-byte characters) and resolves "." and
// "..": false when a ".." climbs above the start.
bool AppendSegments(std::string_view path, std::vector<std::string>& segments) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t delim = Cp936FindFirst(path, kArchiveDelim, start);
    if (delim == std::string_view::npos) delim = path.size();
    std::string_view segment = path.substr(start, delim - start);
    if (segment == "..") {
      if (segments.empty()) return false;
      segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.emplace_back(segment);
    }
    start = delim + 1;
  }
  return true;
}

// The entry path as it is joined to the destination, relative to it.
std::string_view RelativeEntryPath(const TZipEntry& entry, bool recreateDirs) {
  if (!recreateDirs || entry.Path.empty()) return {};
  std::string_view path = entry.Path;
  if (path.size() >= 2 && path[0] != kArchiveDelim && path[1] == ':') path.remove_prefix(2);  // drive
  return path;
}

}  // namespace

bool ResolveZipDestination(const std::string& destDir, bool recreateDirs, const TZipEntry& entry,
                           TZipDestination& destination) {
  std::vector<std::string> segments;
  if (!AppendSegments(RelativeEntryPath(entry, recreateDirs), segments)) return false;
  if (!entry.Name.empty() && IsDotSegment(entry.Name)) return false;
  std::string folder = destDir.empty() ? std::string(".") : destDir;
  destination.TargetLength = folder.size();
  for (const std::string& segment : segments) {
    if (!IsSafeSegment(segment)) return false;
    folder += PathDelim;
    folder += segment;
  }
  destination.Folder = folder;
  destination.FullName.clear();
  if (!entry.Name.empty()) {
    if (!IsSafeSegment(entry.Name)) return false;
    destination.FullName = folder + PathDelim + entry.Name;
  }
  // A path the platform cannot hold is an entry that cannot be created.
  return IsCreatablePath(destination.FullName.empty() ? destination.Folder : destination.FullName);
}

}  // namespace bailan

#pragma once

#include <string>

#include "transport/zip/ZipEntry.h"

namespace bailan {

// Where an entry lands under the destination folder.
struct TZipDestination {
  std::string Folder;            // the folder to create (no trailing separator)
  std::string FullName;          // Folder + PathDelim + the entry name; empty for a directory entry
  std::size_t TargetLength = 0;  // Folder's head that is the destination folder itself
};

// Joins an entry's path and name to `destDir` (CP936, no trailing separator;
// empty means the current folder). With `recreateDirs` the entry path is kept:
// a relative path is appended, a leading "\" and a leading drive letter with
// colon are re-rooted under `destDir`; without it only the name is used.
// "." segments and empty segments are dropped and ".." segments resolved.
// Returns false, and the entry must be skipped, when the result would lie
// outside `destDir`, a name is unusable ("." or "..", a NUL byte, one the host
// cannot create as it stands (IsCreatableName), one named like a job's partial
// or resume file (IsJobFileName)), or the
// path is longer than the platform can hold (IsCreatablePath). Linear in the
// length of the entry's name.
bool ResolveZipDestination(const std::string& destDir, bool recreateDirs, const TZipEntry& entry,
                           TZipDestination& destination);

}  // namespace bailan

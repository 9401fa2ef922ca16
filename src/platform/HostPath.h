#pragma once

#include <string>

namespace bailan {

// The host's spelling of a path for a system call: UTF-8 bytes on Linux, UTF-16
// for the wide API on Windows.
#ifdef _WIN32
using THostPath = std::wstring;
#else
using THostPath = std::string;
#endif

// A CP936 path in the host's spelling.
THostPath ToHostPath(const std::string& path);

}  // namespace bailan

#pragma once

#include <string>

namespace bailan {

// The host's spelling of a CP936 path for a system call: UTF-8 on Linux, UTF-16
// on Windows (as a std::wstring there).
std::string ToHostPath(const std::string& path);

}  // namespace bailan

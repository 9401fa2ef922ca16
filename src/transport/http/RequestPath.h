#pragma once

#include <string>

namespace bailan {

// The path of the next request from the current one and the path part of a new
// URL: a new path beginning with "/" replaces the current one; any other is
// appended to it (with a "/" between) and the result normalised: doubled "/"
// collapse, ".." removes the segment before it (never climbing above "/"), "."
// stays, and the result ends with "/" only when the new path was empty or ended
// with one.
std::string MergeRequestPath(const std::string& current, const std::string& newPath);

}  // namespace bailan

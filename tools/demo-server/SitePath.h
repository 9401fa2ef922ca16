#pragma once

#include <filesystem>
#include <string>

namespace bailan::demo {

// The regular file that the request target `target` names below the site
// folder `site` (a canonical path: absolute, without links), or an empty path
// when it names none that may be served. Parameters and fragment are dropped and
// %XX is decoded first; then every element must be a plain name (no empty, "."
// or ".." element, no back-slash, colon or NUL, so that no absolute, drive or
// device path gets through); last, the file's real path, links resolved, must
// still lie inside `site`, so that a link in the folder cannot lead out of it.
// The path returned is that real path.
std::filesystem::path FileOfTarget(const std::filesystem::path& site, const std::string& target);

}  // namespace bailan::demo

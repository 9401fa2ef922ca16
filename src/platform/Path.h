#pragma once

#include <string>
#include <string_view>

// Path texts in CP936. The folder separator is PathDelim; on Windows it is "\",
// whose byte can also be the trail byte of a double-byte character, so every
// search steps over double-byte characters.
namespace bailan {

#ifdef _WIN32
inline constexpr char PathDelim = '\\';
#else
inline constexpr char PathDelim = '/';
#endif

// `path` with PathDelim appended unless it already ends with one.
std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);

// The part after the last PathDelim (all of it when there is none).
std::string ExtractFileName(std::string_view path);
// The part up to and including the last PathDelim (empty when there is none).
std::string ExtractFilePath(std::string_view path);
// The file name's extension from its last ".", dot included; empty when none.
std::string ExtractFileExt(std::string_view path);

// True when the last character is PathDelim (a trail byte does not count).
bool EndsWithPathDelim(std::string_view path);

}  // namespace bailan

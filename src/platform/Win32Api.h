#pragma once

// The Windows API for the Win32 files of the core only: never included by a
// header that code of another host sees. WIN32_LEAN_AND_MEAN keeps the old Winsock out
// of windows.h so that Winsock 2 can follow, and the macros that would rename
// this system's own functions are taken away.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#undef DeleteFile
#undef ReplaceFile

#include <string>
#include <string_view>

namespace bailan {

// The system's code page, named rather than taken from the process: a Windows
// whose ANSI code page is another one still reads the system's texts right.
inline constexpr UINT kSystemCodePage = 936;

// CP936 text as UTF-16 for the wide API (invalid bytes become U+FFFD).
std::wstring Cp936ToWide(std::string_view text);
// UTF-16 from the wide API as CP936 (characters CP936 lacks become `replacement`).
std::string WideToCp936(std::wstring_view text, char replacement = '?');

// A FILETIME (UTC) as whole seconds since the Unix epoch, and back.
long long FileTimeToEpoch(const FILETIME& time);
FILETIME EpochToFileTime(long long seconds);

}  // namespace bailan

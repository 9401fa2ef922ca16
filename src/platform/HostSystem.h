#pragma once

namespace bailan {

// True when the program is built for Windows. For the few places that must tell
// the hosts apart outside this folder, such as tests of a POSIX-only peer.
#ifdef _WIN32
inline constexpr bool kWindowsHost = true;
#else
inline constexpr bool kWindowsHost = false;
#endif

}  // namespace bailan

#pragma once

// Internal to the POSIX socket implementation: error number translation.
namespace bailan {

// The Windows Sockets number of a POSIX errno value (the errno itself when
// Windows has none).
int WsaErrorFromErrno(int code);
// The Windows Sockets number of a getaddrinfo() result.
int WsaErrorFromLookup(int code);

}  // namespace bailan

// Maps the POSIX error numbers of sockets and name lookup onto the Windows Sockets
// numbers and texts that the installer reports everywhere.
#include <netdb.h>

#include <cerrno>
#include <cstring>

#include "platform/Socket.h"
#include "platform/SocketErrorPosix.h"

namespace bailan {
namespace {

struct TErrorName {
  int Number;
  const char* Text;
};

constexpr TErrorName kErrorTexts[] = {
    {kWsaEAccess, "Permission denied."},
    {kWsaEInvalid, "Invalid argument."},
    {kWsaETooManyFiles, "Too many open files."},
    {kWsaEWouldBlock, "Resource temporarily unavailable."},
    {kWsaEInProgress, "Operation now in progress."},
    {kWsaEAddrInUse, "Address already in use."},
    {kWsaEAddrNotAvail, "Cannot assign requested address."},
    {kWsaENetDown, "Network is down."},
    {kWsaENetUnreach, "Network is unreachable."},
    {kWsaENetReset, "Net dropped connection or reset."},
    {kWsaEConnAborted, "Software caused connection abort."},
    {kWsaEConnReset, "Connection reset by peer."},
    {kWsaENoBufs, "No buffer space available."},
    {kWsaEIsConn, "Socket is already connected."},
    {kWsaENotConn, "Socket is not connected."},
    {kWsaEShutdown, "Cannot send or receive after socket is closed."},
    {kWsaETimedOut, "Connection timed out."},
    {kWsaEConnRefused, "Connection refused."},
    {kWsaEHostDown, "Host is down."},
    {kWsaEHostUnreach, "No route to host."},
    {kWsaHostNotFound, "Host not found."},
    {kWsaTryAgain, "Non-authoritative host not found."},
    {kWsaNoRecovery, "This is a non-recoverable error."},
    {kWsaNoData, "Valid name, no data record of requested type."},
};

}  // namespace

int WsaErrorFromErrno(int code) {
  switch (code) {
    case 0:
      return 0;
    case EACCES:
      return kWsaEAccess;
    case EINVAL:
      return kWsaEInvalid;
    case EMFILE:
      return kWsaETooManyFiles;
    case EAGAIN:
      return kWsaEWouldBlock;
    case EINPROGRESS:
      return kWsaEInProgress;
    case EADDRINUSE:
      return kWsaEAddrInUse;
    case EADDRNOTAVAIL:
      return kWsaEAddrNotAvail;
    case ENETDOWN:
      return kWsaENetDown;
    case ENETUNREACH:
      return kWsaENetUnreach;
    case ENETRESET:
      return kWsaENetReset;
    case ECONNABORTED:
      return kWsaEConnAborted;
    case ECONNRESET:
      return kWsaEConnReset;
    case ENOBUFS:
      return kWsaENoBufs;
    case EISCONN:
      return kWsaEIsConn;
    case ENOTCONN:
      return kWsaENotConn;
    case EPIPE:
      return kWsaEShutdown;
    case ESHUTDOWN:
      return kWsaEShutdown;
    case ETIMEDOUT:
      return kWsaETimedOut;
    case ECONNREFUSED:
      return kWsaEConnRefused;
    case EHOSTDOWN:
      return kWsaEHostDown;
    case EHOSTUNREACH:
      return kWsaEHostUnreach;
    default:
      return code;  // no Windows Sockets number: the errno itself
  }
}

int WsaErrorFromLookup(int code) {
  switch (code) {
    case 0:
      return 0;
    case EAI_AGAIN:
      return kWsaTryAgain;
    case EAI_FAIL:
      return kWsaNoRecovery;
#ifdef EAI_NODATA
    case EAI_NODATA:
      return kWsaNoData;
#endif
    case EAI_MEMORY:
      return kWsaENoBufs;
    case EAI_SYSTEM:
      return WsaErrorFromErrno(errno);
    default:
      return kWsaHostNotFound;  // EAI_NONAME, EAI_FAMILY and the rest
  }
}

std::string SocketErrorText(int error) {
  for (const TErrorName& entry : kErrorTexts) {
    if (entry.Number == error) return entry.Text;
  }
  return std::strerror(error);
}

}  // namespace bailan

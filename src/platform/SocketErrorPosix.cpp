// Maps the POSIX error numbers of sockets and name lookup onto the Windows Sockets
// numbers that the installer reports everywhere.
#include <netdb.h>

#include <cerrno>

#include "platform/Socket.h"
#include "platform/SocketErrorPosix.h"

namespace bailan {

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

}  // namespace bailan

// The texts of the Windows Sockets error numbers, the same on every platform.
#include "platform/FileSystem.h"
#include "platform/Socket.h"

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

std::string SocketErrorText(int error) {
  for (const TErrorName& entry : kErrorTexts) {
    if (entry.Number == error) return entry.Text;
  }
  return SystemErrorText(error);
}

}  // namespace bailan

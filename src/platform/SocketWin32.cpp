// Win32 implementation of TSocket: Winsock 2 stream sockets, select() for every
// wait. Winsock reports its own error numbers, the ones the system names.
#include <cstring>

#include "platform/Socket.h"
#include "platform/SocketCanceller.h"
#include "platform/Win32Api.h"

namespace bailan {
namespace {

constexpr int kListenBacklog = 64;  // enough for every test's parallel connections
constexpr WORD kWinsockVersion = MAKEWORD(2, 2);

// Winsock is started once per process, before the first socket or lookup, and
// left running until the process ends.
int EnsureWinsock() {
  static int startError = [] {
    WSADATA data{};
    return ::WSAStartup(kWinsockVersion, &data);
  }();
  return startError;
}

SOCKET SocketOf(std::intptr_t handle) {
  return static_cast<SOCKET>(handle);
}

int LastError() {
  return ::WSAGetLastError();
}

bool SetNonBlocking(SOCKET socket, bool on) {
  u_long mode = on ? 1 : 0;
  return ::ioctlsocket(socket, FIONBIO, &mode) == 0;
}

sockaddr_in ToSockAddr(const TIPv4Address& address, std::uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_port = ::htons(port);
  std::memcpy(&result.sin_addr.s_addr, address.Bytes, 4);
  return result;
}

// A new socket that child processes do not inherit; INVALID_SOCKET with `error`.
SOCKET NewStreamSocket(int& error) {
  error = EnsureWinsock();
  if (error != 0) return INVALID_SOCKET;
  SOCKET socket = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (socket == INVALID_SOCKET) error = LastError();
  return socket;
}

enum class TWaitFor { Read, Write };

// select() on one socket; negative timeout: no limit. A connect that fails shows
// in the exception set, so waits for writing watch it too.
TSocketWait SelectFor(SOCKET socket, TWaitFor what, int timeoutMs, int& error) {
  fd_set ready;
  fd_set failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(socket, &ready);
  FD_SET(socket, &failed);
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  const int result =
      ::select(0, what == TWaitFor::Read ? &ready : nullptr, what == TWaitFor::Write ? &ready : nullptr,
               &failed, timeoutMs < 0 ? nullptr : &limit);
  if (result == SOCKET_ERROR) {
    error = LastError();
    return TSocketWait::Failed;
  }
  error = 0;
  return result == 0 ? TSocketWait::TimedOut : TSocketWait::Ready;
}

// Winsock does not end a select() when another thread shuts the socket down, so
// a wait on a socket that can be cancelled is cut into slices of this length, and
// a cancel shows at the end of the slice in progress.
constexpr int kCancelSliceMs = 50;

// SelectFor, ended early (as Ready, or Failed with the after-shutdown error for a
// connect) once `canceller` is cancelled.
TSocketWait SelectCancellable(SOCKET socket, TWaitFor what, int timeoutMs, const TSocketCanceller* canceller,
                              int& error) {
  if (!canceller) return SelectFor(socket, what, timeoutMs, error);
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (canceller->Cancelled()) {
      error = what == TWaitFor::Write ? kWsaEShutdown : 0;
      return what == TWaitFor::Write ? TSocketWait::Failed : TSocketWait::Ready;
    }
    int slice = kCancelSliceMs;
    if (timeoutMs >= 0) {
      const int left = timeoutMs - static_cast<int>(::GetTickCount() - start);
      if (left <= 0) {
        error = 0;
        return TSocketWait::TimedOut;
      }
      slice = left < slice ? left : slice;
    }
    const TSocketWait result = SelectFor(socket, what, slice, error);
    if (result != TSocketWait::TimedOut) return result;
  }
}

// -1 with `error` on failure, the count otherwise.
std::ptrdiff_t Transferred(int result, int& error) {
  if (result == SOCKET_ERROR) {
    error = LastError();
    return -1;
  }
  error = 0;
  return result;
}

int ClampCount(std::size_t count) {
  constexpr std::size_t kMaxCount = 1u << 30;  // Winsock counts are int
  return static_cast<int>(count < kMaxCount ? count : kMaxCount);
}

}  // namespace

TSocket TSocket::CreateTcp(int& error) {
  SOCKET socket = NewStreamSocket(error);
  if (socket == INVALID_SOCKET) return TSocket();
  TSocket result(static_cast<std::intptr_t>(socket));
  sockaddr_in any = ToSockAddr(TIPv4Address{}, 0);
  if (::bind(socket, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
    error = LastError();
    return TSocket();
  }
  error = 0;
  return result;
}

TSocket TSocket::ListenLoopback(std::uint16_t port, int& error) {
  SOCKET socket = NewStreamSocket(error);
  if (socket == INVALID_SOCKET) return TSocket();
  TSocket result(static_cast<std::intptr_t>(socket));
  // Windows lets a second socket take a port bound with SO_REUSEADDR; exclusive
  // use keeps a listening port ours.
  BOOL on = TRUE;
  ::setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
  sockaddr_in loopback = ToSockAddr(TIPv4Address{{127, 0, 0, 1}}, port);
  if (::bind(socket, reinterpret_cast<sockaddr*>(&loopback), sizeof loopback) != 0 ||
      ::listen(socket, kListenBacklog) != 0) {
    error = LastError();
    return TSocket();
  }
  error = 0;
  return result;
}

void TSocket::Close() {
  DetachCanceller();
  if (handle_ >= 0) {
    ::closesocket(SocketOf(handle_));
    handle_ = -1;
  }
}

void TSocket::AbortiveClose() {
  if (handle_ < 0) return;
  linger option{1, 0};
  ::setsockopt(SocketOf(handle_), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option),
               sizeof option);
  Close();
}

void TSocket::ShutdownHandle(std::intptr_t handle) {
  // A recv() blocked on the socket in another thread returns; a select() ends
  // at the end of its slice (SelectCancellable).
  ::shutdown(SocketOf(handle), SD_BOTH);
}

TSocketWait TSocket::StartConnect(const TIPv4Address& address, std::uint16_t port, int& error) {
  SOCKET socket = SocketOf(handle_);
  if (!SetNonBlocking(socket, true)) {
    error = LastError();
    return TSocketWait::Failed;
  }
  sockaddr_in target = ToSockAddr(address, port);
  if (::connect(socket, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
    SetNonBlocking(socket, false);
    error = 0;
    return TSocketWait::Ready;
  }
  error = LastError();
  if (error == WSAEWOULDBLOCK || error == WSAEINPROGRESS) {
    error = 0;
    return TSocketWait::TimedOut;
  }
  return TSocketWait::Failed;
}

TSocketWait TSocket::WaitConnected(int timeoutMs, int& error) {
  SOCKET socket = SocketOf(handle_);
  TSocketWait wait = SelectCancellable(socket, TWaitFor::Write, timeoutMs, canceller_.get(), error);
  if (wait != TSocketWait::Ready) return wait;
  int result = 0;
  int length = sizeof result;
  if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &length) != 0) {
    result = LastError();
  }
  if (result != 0) {
    error = result;
    return TSocketWait::Failed;
  }
  SetNonBlocking(socket, false);
  error = 0;
  return TSocketWait::Ready;
}

TSocketWait TSocket::WaitReadable(int timeoutMs, int& error) {
  return SelectCancellable(SocketOf(handle_), TWaitFor::Read, timeoutMs, canceller_.get(), error);
}

std::ptrdiff_t TSocket::Receive(void* buffer, std::size_t count, bool dontWait, int& error) {
  // Winsock has no per-call "don't wait": a receive that would block is one whose
  // socket is not readable now.
  if (dontWait && SelectFor(SocketOf(handle_), TWaitFor::Read, 0, error) != TSocketWait::Ready) {
    if (error == 0) error = kWsaEWouldBlock;
    return -1;
  }
  return Transferred(::recv(SocketOf(handle_), static_cast<char*>(buffer), ClampCount(count), 0), error);
}

std::ptrdiff_t TSocket::Send(const void* data, std::size_t count, int& error) {
  // Windows raises no signal for a send on a closed connection.
  return Transferred(::send(SocketOf(handle_), static_cast<const char*>(data), ClampCount(count), 0), error);
}

TSocket TSocket::Accept(int timeoutMs, int& error) {
  if (SelectFor(SocketOf(handle_), TWaitFor::Read, timeoutMs, error) != TSocketWait::Ready) return TSocket();
  SOCKET accepted = ::accept(SocketOf(handle_), nullptr, nullptr);
  if (accepted == INVALID_SOCKET) {
    error = LastError();
    return TSocket();
  }
  // A socket accepted from a non-inheritable one is not inherited either.
  error = 0;
  return TSocket(static_cast<std::intptr_t>(accepted));
}

std::uint16_t TSocket::LocalPort() const {
  sockaddr_in local{};
  int length = sizeof local;
  if (::getsockname(SocketOf(handle_), reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
  return ::ntohs(local.sin_port);
}

int LookupHostIPv4(const std::string& host, TIPv4Address& address) {
  if (int error = EnsureWinsock(); error != 0) return error;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  // getaddrinfo's failures are Windows Sockets numbers (11001 for an unknown name).
  if (int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found); result != 0) return result;
  int error = kWsaHostNotFound;
  for (addrinfo* entry = found; entry; entry = entry->ai_next) {
    if (entry->ai_family == AF_INET) {
      const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
      std::memcpy(address.Bytes, &ipv4->sin_addr.s_addr, 4);
      error = 0;
      break;
    }
  }
  ::freeaddrinfo(found);
  return error;
}

}  // namespace bailan

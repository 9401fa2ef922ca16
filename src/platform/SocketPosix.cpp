// POSIX implementation of TSocket: IPv4 stream sockets, poll() for every wait.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/Socket.h"
#include "platform/SocketCanceller.h"
#include "platform/SocketErrorPosix.h"

namespace bailan {
namespace {

constexpr int kListenBacklog = 64;  // enough for every test's parallel connections

int LastError() {
  return WsaErrorFromErrno(errno);
}

int SocketOf(std::intptr_t handle) {
  return static_cast<int>(handle);
}

bool SetNonBlocking(int fd, bool on) {
  int flags = ::fcntl(fd, F_GETFL, 0);
  if (flags < 0) return false;
  flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  return ::fcntl(fd, F_SETFL, flags) == 0;
}

sockaddr_in ToSockAddr(const TIPv4Address& address, std::uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_port = htons(port);
  std::memcpy(&result.sin_addr.s_addr, address.Bytes, 4);
  return result;
}

// poll() on one descriptor for `events`, restarting after signals with the time
// that is left; negative timeout: no limit.
TSocketWait PollFor(int fd, short events, int timeoutMs, int& error) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    int wait = timeoutMs;
    if (timeoutMs >= 0) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait = left < 0 ? 0 : static_cast<int>(left);
    }
    pollfd entry{fd, events, 0};
    int result = ::poll(&entry, 1, wait);
    if (result > 0) {
      error = 0;
      return TSocketWait::Ready;
    }
    if (result == 0) {
      error = 0;
      return TSocketWait::TimedOut;
    }
    if (errno != EINTR) {
      error = LastError();
      return TSocketWait::Failed;
    }
  }
}

// Runs a transfer call again when a signal interrupted it; -1 with `error` set
// on failure.
template <typename Call>
std::ptrdiff_t RetryInterrupted(Call call, int& error) {
  for (;;) {
    ssize_t result = call();
    if (result >= 0) {
      error = 0;
      return result;
    }
    if (errno != EINTR) {
      error = LastError();
      return -1;
    }
  }
}

}  // namespace

TSocket TSocket::CreateTcp(int& error) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    error = LastError();
    return TSocket();
  }
  TSocket result(fd);
  sockaddr_in any = ToSockAddr(TIPv4Address{}, 0);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
    error = LastError();
    return TSocket();
  }
  error = 0;
  return result;
}

TSocket TSocket::ListenLoopback(std::uint16_t port, int& error) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    error = LastError();
    return TSocket();
  }
  TSocket result(fd);
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in loopback = ToSockAddr(TIPv4Address{{127, 0, 0, 1}}, port);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&loopback), sizeof loopback) != 0 ||
      ::listen(fd, kListenBacklog) != 0) {
    error = LastError();
    return TSocket();
  }
  error = 0;
  return result;
}

void TSocket::Close() {
  DetachCanceller();
  if (handle_ >= 0) {
    ::close(SocketOf(handle_));
    handle_ = -1;
  }
}

void TSocket::AbortiveClose() {
  if (handle_ < 0) return;
  linger option{1, 0};
  ::setsockopt(SocketOf(handle_), SOL_SOCKET, SO_LINGER, &option, sizeof option);
  Close();
}

void TSocket::ShutdownHandle(std::intptr_t handle) {
  ::shutdown(SocketOf(handle), SHUT_RDWR);
}

TSocketWait TSocket::StartConnect(const TIPv4Address& address, std::uint16_t port, int& error) {
  int fd = SocketOf(handle_);
  if (!SetNonBlocking(fd, true)) {
    error = LastError();
    return TSocketWait::Failed;
  }
  sockaddr_in target = ToSockAddr(address, port);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
    SetNonBlocking(fd, false);
    error = 0;
    return TSocketWait::Ready;
  }
  if (errno == EINPROGRESS || errno == EINTR) {
    error = 0;
    return TSocketWait::TimedOut;
  }
  error = LastError();
  return TSocketWait::Failed;
}

TSocketWait TSocket::WaitConnected(int timeoutMs, int& error) {
  int fd = SocketOf(handle_);
  TSocketWait wait = PollFor(fd, POLLOUT, timeoutMs, error);
  if (wait != TSocketWait::Ready) return wait;
  int result = 0;
  socklen_t length = sizeof result;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length) != 0) result = errno;
  if (result != 0) {
    error = WsaErrorFromErrno(result);
    return TSocketWait::Failed;
  }
  SetNonBlocking(fd, false);
  error = 0;
  return TSocketWait::Ready;
}

TSocketWait TSocket::WaitReadable(int timeoutMs, int& error) {
  return PollFor(SocketOf(handle_), POLLIN, timeoutMs, error);
}

std::ptrdiff_t TSocket::Receive(void* buffer, std::size_t count, bool dontWait, int& error) {
  return RetryInterrupted(
      [&] { return ::recv(SocketOf(handle_), buffer, count, dontWait ? MSG_DONTWAIT : 0); }, error);
}

std::ptrdiff_t TSocket::Send(const void* data, std::size_t count, int& error) {
  return RetryInterrupted([&] { return ::send(SocketOf(handle_), data, count, MSG_NOSIGNAL); }, error);
}

TSocket TSocket::Accept(int timeoutMs, int& error) {
  if (PollFor(SocketOf(handle_), POLLIN, timeoutMs, error) != TSocketWait::Ready) return TSocket();
  int fd = ::accept4(SocketOf(handle_), nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) {
    error = LastError();
    return TSocket();
  }
  error = 0;
  return TSocket(fd);
}

std::uint16_t TSocket::LocalPort() const {
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (::getsockname(SocketOf(handle_), reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
  return ntohs(local.sin_port);
}

int LookupHostIPv4(const std::string& host, TIPv4Address& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (result != 0) return WsaErrorFromLookup(result);
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

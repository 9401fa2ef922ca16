#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace bailan {

class TSocketCanceller;

// Socket error numbers in Windows Sockets numbering, on every platform, so that
// failures read the same wherever the installer runs.
inline constexpr int kWsaEAccess = 10013;
inline constexpr int kWsaEInvalid = 10022;
inline constexpr int kWsaETooManyFiles = 10024;
inline constexpr int kWsaEWouldBlock = 10035;
inline constexpr int kWsaEInProgress = 10036;
inline constexpr int kWsaEAddrInUse = 10048;
inline constexpr int kWsaEAddrNotAvail = 10049;
inline constexpr int kWsaENetDown = 10050;
inline constexpr int kWsaENetUnreach = 10051;
inline constexpr int kWsaENetReset = 10052;
inline constexpr int kWsaEConnAborted = 10053;
inline constexpr int kWsaEConnReset = 10054;
inline constexpr int kWsaENoBufs = 10055;
inline constexpr int kWsaEIsConn = 10056;
inline constexpr int kWsaENotConn = 10057;
inline constexpr int kWsaEShutdown = 10058;
inline constexpr int kWsaETimedOut = 10060;
inline constexpr int kWsaEConnRefused = 10061;
inline constexpr int kWsaEHostDown = 10064;
inline constexpr int kWsaEHostUnreach = 10065;
inline constexpr int kWsaHostNotFound = 11001;
inline constexpr int kWsaTryAgain = 11002;
inline constexpr int kWsaNoRecovery = 11003;
inline constexpr int kWsaNoData = 11004;

// The text of a Windows Sockets error number ("Connection refused." for 10061);
// a number outside that range gets the platform's text for it.
std::string SocketErrorText(int error);

// An IPv4 address as four bytes, most significant first (127.0.0.1 is {127,0,0,1}).
struct TIPv4Address {
  std::uint8_t Bytes[4] = {0, 0, 0, 0};
};

// Resolves a host name through the platform's blocking name lookup and gives its
// first IPv4 address. Returns 0 or the Windows Sockets error number (11001 when the
// name is unknown).
int LookupHostIPv4(const std::string& host, TIPv4Address& address);

// The outcome of waiting for a socket.
enum class TSocketWait { Ready, TimedOut, Failed };

// One IPv4 TCP socket, closed when the object goes away. Every call that can fail
// reports a Windows Sockets error number through `error` (0 on success). Sends
// never raise SIGPIPE.
class TSocket {
 public:
  // A closed socket; no resources.
  TSocket() = default;
  ~TSocket();
  TSocket(TSocket&& other) noexcept;
  TSocket& operator=(TSocket&& other) noexcept;
  TSocket(const TSocket&) = delete;
  TSocket& operator=(const TSocket&) = delete;

  // A new stream socket bound to any local address and a port chosen by the system.
  static TSocket CreateTcp(int& error);
  // A socket listening on 127.0.0.1 at `port` (0: a free port chosen by the system).
  static TSocket ListenLoopback(std::uint16_t port, int& error);

  bool IsOpen() const { return handle_ >= 0; }
  void Close();
  // Closes with a reset (RST) instead of the orderly close.
  void AbortiveClose();
  // Ends both directions without closing: a call blocked on the socket in
  // another thread returns.
  void Shutdown();
  // Lets `canceller` shut this socket down from another thread until it is
  // closed (or until another canceller is attached).
  void AttachCanceller(std::shared_ptr<TSocketCanceller> canceller);

  // Starts a connect without blocking. Returns Ready when the connect already
  // finished, TimedOut when it is in progress (finish it with WaitConnected), and
  // Failed with `error` set.
  TSocketWait StartConnect(const TIPv4Address& address, std::uint16_t port, int& error);
  // Waits at most `timeoutMs` (negative: no limit) for a started connect.
  TSocketWait WaitConnected(int timeoutMs, int& error);

  // Waits at most `timeoutMs` (negative: no limit) until a receive would not block.
  TSocketWait WaitReadable(int timeoutMs, int& error);

  // Receives up to `count` bytes. Returns the count (0: the peer closed), or -1
  // with `error` set; with `dontWait` a receive that would block returns -1 and
  // kWsaEWouldBlock instead of waiting.
  std::ptrdiff_t Receive(void* buffer, std::size_t count, bool dontWait, int& error);
  // Sends up to `count` bytes (blocking). Returns the count accepted, or -1.
  std::ptrdiff_t Send(const void* data, std::size_t count, int& error);

  // For a listening socket: takes the next connection, waiting at most
  // `timeoutMs`; an empty socket on time-out.
  TSocket Accept(int timeoutMs, int& error);
  std::uint16_t LocalPort() const;

 private:
  friend class TSocketCanceller;
  explicit TSocket(std::intptr_t handle) : handle_(handle) {}
  static void ShutdownHandle(std::intptr_t handle);
  void DetachCanceller();

  std::intptr_t handle_ = -1;
  std::shared_ptr<TSocketCanceller> canceller_;
};

}  // namespace bailan

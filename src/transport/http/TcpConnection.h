#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Socket.h"
#include "platform/SocketCanceller.h"
#include "platform/Stream.h"
#include "transport/http/TlsEngine.h"

namespace bailan {

// One IPv4 TCP connection with a buffered input side: line reads, exact-count
// reads, reads of what has arrived (up to a count, straight into the caller's
// memory when nothing is buffered) and stream reads, every wait for incoming
// bytes bounded by ReadTimeout, detection of the peer's close, and a send side
// whose write buffer lets a request head leave in one send. On the main thread
// the registered TAntiFreeze processes window events during every wait.
//
// With TLS settings every connect runs a TLS handshake under the same waits,
// time-outs and cancelling as the reads; the input buffer then holds decrypted
// bytes, sends are encrypted, and the peer's close_notify is its close. A TCP
// close without close_notify fails a read that lasts until the close.
//
// Bytes received and not yet consumed stay in the input buffer across a close of
// the socket; the next connect empties it. Failures raise the classes of
// NetExceptions.h; after a failure the input buffer keeps its bytes.
class TTcpConnection {
 public:
  static constexpr std::size_t kRecvBufferSize = 32768;  // largest single receive
  static constexpr std::size_t kSendBufferSize = 32768;  // block size for sending streams
  // Room kept in the input buffer: several receives fit before the unread rest
  // has to be moved to the front.
  static constexpr std::size_t kInputBufferReserve = 4 * kRecvBufferSize;
  static constexpr std::size_t kMaxLineLength = 16384;  // longer lines fail the read
  static constexpr std::uint32_t kConnectStepMs = 125;  // how often a connect wait looks up
  static constexpr int kMainThreadConnectLimitMs =
      120000;                                    // connect limit on the main thread when none is set
  static constexpr int kPollForCloseWaitMs = 1;  // wait of the idle-close check
  static constexpr std::int64_t kUntilCloseCount = 2147483647;  // largest body read until the close

  // A closed connection; owns its socket and buffers. Used by one thread at a time.
  TTcpConnection() = default;
  ~TTcpConnection() = default;
  TTcpConnection(const TTcpConnection&) = delete;
  TTcpConnection& operator=(const TTcpConnection&) = delete;

  void SetHost(std::string host) { host_ = std::move(host); }
  const std::string& Host() const { return host_; }
  void SetPort(std::uint16_t port) { port_ = port; }
  std::uint16_t Port() const { return port_; }
  // Milliseconds one wait for incoming bytes may last; 0 means no limit.
  void SetReadTimeout(int milliseconds) { readTimeout_ = milliseconds < 0 ? 0 : milliseconds; }
  int ReadTimeout() const { return readTimeout_; }
  // Lets another thread cut this connection's connects and reads short through
  // `canceller` (null: none); a cancelled connection fails its next connect.
  void SetCanceller(std::shared_ptr<TSocketCanceller> canceller) { canceller_ = std::move(canceller); }

  // TLS for the next OpenConnection (nullopt: plain TCP, the default).
  void SetTls(std::optional<TTlsSettings> settings) { tlsSettings_ = std::move(settings); }
  bool UsesTls() const { return tlsSettings_.has_value(); }

  // Connects to Host():Port(); `timeoutMs` bounds the connect (0: no limit).
  void OpenConnection(int timeoutMs);
  // Closes the socket and marks the connection closed; the input buffer stays.
  void CloseConnection();
  // True while the socket is open (a close noticed earlier closes it first).
  bool IsOpen();
  // Checks with a 1 ms wait whether the peer closed an idle connection; never raises.
  void PollForClose();

  // Sends all bytes, or appends them to the write buffer while one is open.
  void SendBytes(std::string_view bytes);
  void OpenWriteBuffer();
  // Sends the collected bytes in one SendBytes and ends the write buffer.
  void CloseWriteBuffer();
  void CancelWriteBuffer() { writeBuffer_.reset(); }

  // One line terminated by LF, without the LF and one CR before it.
  std::string ReadLine();
  // Copies exactly `count` bytes into `buffer`; nothing for 0 or less.
  void ReadExact(void* buffer, std::int64_t count);
  // Copies at least one and at most `count` bytes into `buffer` and returns how
  // many (0 only for a count of 0). Bytes already buffered come first, without a
  // receive. With none buffered, a plain connection receives once straight into
  // `buffer`, never more than `count` bytes, so the input buffer never holds what
  // follows them (the next reply's bytes); over TLS the bytes come through the
  // decrypted input buffer. Waits, time-outs and the close fail as in ReadExact.
  std::size_t ReadSome(char* buffer, std::size_t count);
  // Writes exactly `count` bytes into `target` at its position. A close by the
  // peer before all arrived writes what did arrive, then raises
  // EConnClosedGracefully. The target is cut to its position on the way out.
  void ReadToStream(TStream& target, std::int64_t count);
  // Writes everything up to the peer's close into `target`.
  void ReadToStreamUntilClose(TStream& target);

  // Bytes received and not yet consumed.
  std::size_t Buffered() const { return tail_ - head_; }
  std::string_view BufferedBytes() const { return {buffer_.data() + head_, Buffered()}; }

  // The address that OpenConnection uses for `host`: "localhost" and dotted
  // quads without lookup, anything else through the platform's name lookup.
  static TIPv4Address ResolveHost(const std::string& host);

 private:
  enum class TFillResult { Received, TimedOut, Closed };
  // The caller's memory that a plain receive fills instead of the input buffer.
  struct TDirectTarget {
    char* Data = nullptr;
    std::size_t Count = 0;
    std::size_t Received = 0;
  };

  TFillResult Fill(bool raiseOnClose, bool raiseOnTimeout, int waitMs, TDirectTarget* direct = nullptr);
  bool ApplyCloseRule(bool raise);
  TSocketWait WaitReadable(int waitMs);
  bool ReceiveIntoBuffer(bool dontWait, bool raise, TDirectTarget* direct);
  bool ReceiveDecrypted(bool dontWait, bool raise);
  bool TakeDecrypted();
  bool ReceiveFailed(bool dontWait, int error);
  void PeerHasClosed(bool raise, bool withCloseNotify);
  void ReserveInputRoom();
  void Handshake();
  void SendRaw(std::string_view bytes);
  void WaitForConnect(int timeoutMs);
  void EnsureBuffered(std::size_t count);
  void ReadBlocksToStream(TStream& target, std::int64_t count, bool untilClose);
  void WriteBuffered(TStream& target, std::size_t count);
  void Consume(std::size_t count);
  void ClearInput();

  TSocket socket_;
  std::string host_;
  std::uint16_t port_ = 0;
  int readTimeout_ = 0;
  std::shared_ptr<TSocketCanceller> canceller_;
  bool closedByPeer_ = false;
  std::vector<char> buffer_;  // input bytes live in [head_, tail_)
  std::size_t head_ = 0;
  std::size_t tail_ = 0;
  std::optional<std::string> writeBuffer_;
  std::optional<TTlsSettings> tlsSettings_;
  std::unique_ptr<TTlsEngine> tls_;   // the open connection's TLS session; null on the plain path
  bool closedWithoutNotify_ = false;  // the peer's TCP close came without close_notify
};

}  // namespace bailan

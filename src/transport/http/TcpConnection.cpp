#include "transport/http/TcpConnection.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/Tick.h"
#include "transport/http/AntiFreeze.h"
#include "transport/http/NetExceptions.h"

namespace bailan {
namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Four dot-separated decimal numbers, each 0..255.
bool ParseDottedQuad(const std::string& host, TIPv4Address& address) {
  int part = 0;
  int value = -1;
  for (char c : host) {
    if (c >= '0' && c <= '9') {
      value = (value < 0 ? 0 : value) * 10 + (c - '0');
      if (value > 255) return false;
    } else if (c == '.' && value >= 0 && part < 3) {
      address.Bytes[part++] = static_cast<std::uint8_t>(value);
      value = -1;
    } else {
      return false;
    }
  }
  if (part != 3 || value < 0) return false;
  address.Bytes[3] = static_cast<std::uint8_t>(value);
  return true;
}

bool IsAbortError(int error) {
  return error == kWsaEConnAborted || error == kWsaEShutdown;
}

}  // namespace

TIPv4Address TTcpConnection::ResolveHost(const std::string& host) {
  TIPv4Address address;
  if (EqualsIgnoreCase(host, "localhost")) return TIPv4Address{{127, 0, 0, 1}};
  if (ParseDottedQuad(host, address)) return address;
  int error = LookupHostIPv4(host, address);
  if (error != 0) throw ESocketError(error);
  return address;
}

void TTcpConnection::OpenConnection(int timeoutMs) {
  if (socket_.IsOpen()) throw EAlreadyConnected(kAlreadyConnectedText);
  ClearInput();
  closedByPeer_ = false;
  closedWithoutNotify_ = false;
  tls_.reset();
  TIPv4Address address = ResolveHost(host_);
  int error = 0;
  if (canceller_ && canceller_->Cancelled()) throw EConnectException(kWsaEConnAborted);
  socket_ = TSocket::CreateTcp(error);
  if (error != 0) throw ESocketError(error);
  if (canceller_) socket_.AttachCanceller(canceller_);
  TSocketWait started = socket_.StartConnect(address, port_, error);
  if (started == TSocketWait::Failed) {
    socket_.Close();
    throw EConnectException(error);
  }
  if (started == TSocketWait::TimedOut) WaitForConnect(timeoutMs);
  if (canceller_ && canceller_->Cancelled()) {  // a connect cut short may look finished
    socket_.Close();
    throw EConnectException(kWsaEConnAborted);
  }
  if (tlsSettings_) Handshake();
}

// The TLS handshake on the fresh socket: every wait for the server's records is
// one read wait (read time-out, anti-freeze, canceller). A failure closes the
// socket.
void TTcpConnection::Handshake() {
  try {
    tls_ = CreateTlsEngine(*tlsSettings_);
    std::string out;
    tls_->StartHandshake(out);
    for (;;) {
      SendRaw(out);
      out.clear();
      if (tls_->HandshakeDone()) return;
      if (WaitReadable(readTimeout_) == TSocketWait::TimedOut) throw EReadTimeout(kReadTimeoutText);
      char raw[kRecvBufferSize];
      int error = 0;
      const std::ptrdiff_t received = socket_.Receive(raw, sizeof raw, false, error);
      if (received == 0) throw ETlsError(kClosedInHandshakeText);
      if (received < 0) throw ESocketError(error);
      tls_->Feed(std::string_view(raw, static_cast<std::size_t>(received)), out);
    }
  } catch (...) {
    tls_.reset();
    socket_.Close();
    throw;
  }
}

// Waits for a started connect. With a limit (or on the main thread with the
// anti-freeze, where the limit is at least kMainThreadConnectLimitMs) the wait is
// cut into steps, the anti-freeze running after each; a refused connect ends the
// wait as soon as it is known.
void TTcpConnection::WaitForConnect(int timeoutMs) {
  const bool antiFreeze = TAntiFreeze::ActsHere();
  if (timeoutMs <= 0 && antiFreeze) timeoutMs = kMainThreadConnectLimitMs;
  int error = 0;
  if (timeoutMs <= 0) {
    if (socket_.WaitConnected(-1, error) == TSocketWait::Ready) return;
    socket_.Close();
    throw EConnectException(error);
  }
  const std::uint32_t step =
      antiFreeze ? std::min(TAntiFreeze::CurrentIdleTimeOut(), kConnectStepMs) : kConnectStepMs;
  const std::uint32_t started = GetTickCount32();
  for (;;) {
    const std::uint32_t elapsed = TickDiff(GetTickCount32(), started);
    if (elapsed >= static_cast<std::uint32_t>(timeoutMs)) {
      socket_.Close();
      throw EConnectTimeout(kConnectTimeoutText);
    }
    const auto slice = static_cast<int>(std::min(step, static_cast<std::uint32_t>(timeoutMs) - elapsed));
    TSocketWait result = socket_.WaitConnected(slice, error);
    TAntiFreeze::DoProcess(true);
    if (result == TSocketWait::Ready) return;
    if (result == TSocketWait::Failed) {
      socket_.Close();
      throw EConnectException(error);
    }
  }
}

void TTcpConnection::CloseConnection() {
  if (tls_ && socket_.IsOpen() && !closedByPeer_) {
    // Our close_notify, so that the peer sees an orderly end; it may be gone already.
    std::string out;
    try {
      tls_->Shutdown(out);
      int error = 0;
      socket_.Send(out.data(), out.size(), error);
    } catch (const ENetException&) {
      // Closing anyway.
    }
  }
  tls_.reset();
  socket_.Close();
  closedByPeer_ = true;
}

bool TTcpConnection::IsOpen() {
  ApplyCloseRule(false);
  return socket_.IsOpen();
}

void TTcpConnection::PollForClose() {
  try {
    Fill(false, false, kPollForCloseWaitMs);
  } catch (const ENetException&) {
    // Only the close matters here; a receive error shows again on the next read.
  }
}

// The close rule of every fill: a close seen earlier closes the socket; with
// `raise` and nothing buffered it is a failure. Returns true when closed.
bool TTcpConnection::ApplyCloseRule(bool raise) {
  if (!closedByPeer_ && socket_.IsOpen()) return false;
  socket_.Close();
  if (raise && Buffered() == 0) throw EConnClosedGracefully(kConnClosedGracefullyText);
  return true;
}

// Waits until the socket is readable, at most `waitMs` (0: no limit). On the main
// thread with the anti-freeze the wait is cut into IdleTimeOut slices with event
// processing after each slice, whether bytes arrived or not.
TSocketWait TTcpConnection::WaitReadable(int waitMs) {
  int error = 0;
  if (!TAntiFreeze::ActsHere()) {
    TSocketWait result = socket_.WaitReadable(waitMs > 0 ? waitMs : -1, error);
    if (result == TSocketWait::Failed) throw ESocketError(error);
    return result;
  }
  const std::uint32_t started = GetTickCount32();
  for (;;) {
    std::uint32_t slice = TAntiFreeze::CurrentIdleTimeOut();
    if (waitMs > 0) {
      const std::uint32_t elapsed = TickDiff(GetTickCount32(), started);
      if (elapsed >= static_cast<std::uint32_t>(waitMs)) return TSocketWait::TimedOut;
      slice = std::min(slice, static_cast<std::uint32_t>(waitMs) - elapsed);
    }
    TSocketWait result = socket_.WaitReadable(static_cast<int>(slice), error);
    TAntiFreeze::DoProcess(result != TSocketWait::Ready);
    if (result == TSocketWait::Failed) throw ESocketError(error);
    if (result == TSocketWait::Ready) return result;
    if (!socket_.IsOpen()) return TSocketWait::Ready;  // closed by an event handler: let the receive see it
  }
}

// Room for one receive of kRecvBufferSize bytes behind the input buffer's tail.
void TTcpConnection::ReserveInputRoom() {
  if (buffer_.size() - tail_ >= kRecvBufferSize) return;
  if (head_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + head_, tail_ - head_);
    tail_ -= head_;
    head_ = 0;
  }
  if (buffer_.size() - tail_ < kRecvBufferSize) {
    buffer_.resize(std::max(tail_ + kRecvBufferSize, kInputBufferReserve));
  }
}

// One receive of up to kRecvBufferSize bytes appended to the input buffer, or
// on a plain connection with `direct` of up to its count into its memory.
// Returns false when `dontWait` found nothing to take.
bool TTcpConnection::ReceiveIntoBuffer(bool dontWait, bool raise, TDirectTarget* direct) {
  if (tls_) return ReceiveDecrypted(dontWait, raise);
  if (!direct) ReserveInputRoom();
  char* into = direct ? direct->Data : buffer_.data() + tail_;
  const std::size_t room = direct ? direct->Count : kRecvBufferSize;
  int error = 0;
  std::ptrdiff_t received = socket_.Receive(into, room, dontWait, error);
  if (received > 0) {
    if (direct) {
      direct->Received = static_cast<std::size_t>(received);
    } else {
      tail_ += static_cast<std::size_t>(received);
    }
    return true;
  }
  if (received == 0) {
    PeerHasClosed(raise, true);
    return true;
  }
  return ReceiveFailed(dontWait, error);
}

// The TLS side of ReceiveIntoBuffer: decrypted bytes already waiting come
// first; otherwise one receive (while `dontWait` finds bytes, as many as it
// takes to complete a record) is fed to the session.
bool TTcpConnection::ReceiveDecrypted(bool dontWait, bool raise) {
  for (;;) {
    if (TakeDecrypted()) return true;
    if (tls_->PeerClosed()) {
      PeerHasClosed(raise, true);
      return true;
    }
    char raw[kRecvBufferSize];
    int error = 0;
    const std::ptrdiff_t received = socket_.Receive(raw, sizeof raw, dontWait, error);
    if (received == 0) {
      PeerHasClosed(raise, false);
      return true;
    }
    if (received < 0) return ReceiveFailed(dontWait, error);
    std::string out;
    try {
      tls_->Feed(std::string_view(raw, static_cast<std::size_t>(received)), out);
    } catch (const ETlsError&) {
      socket_.Close();  // a broken session never carries another request
      throw;
    }
    SendRaw(out);
    if (!dontWait) {
      TakeDecrypted();
      return true;
    }
  }
}

// Moves the session's decrypted bytes to the input buffer; true when there were any.
bool TTcpConnection::TakeDecrypted() {
  ReserveInputRoom();
  std::string out;
  std::size_t taken = 0;
  try {
    taken = tls_->ReadPlain(buffer_.data() + tail_, kRecvBufferSize, out);
  } catch (const ETlsError&) {
    socket_.Close();  // a damaged record: nothing after it can be trusted
    throw;
  }
  SendRaw(out);
  tail_ += taken;
  return taken > 0;
}

// The peer ended the connection: over TLS an orderly end needs its close_notify.
void TTcpConnection::PeerHasClosed(bool raise, bool withCloseNotify) {
  if (!withCloseNotify) closedWithoutNotify_ = true;
  closedByPeer_ = true;
  ApplyCloseRule(raise);
}

bool TTcpConnection::ReceiveFailed(bool dontWait, int error) {
  if (dontWait && error == kWsaEWouldBlock) return false;
  if (IsAbortError(error)) {
    socket_.Close();
    if (Buffered() > 0) {
      closedByPeer_ = true;
      return true;
    }
  }
  throw ESocketError(error);
}

// One fill of the input buffer (or of `direct`, which only a plain connection
// with nothing buffered is given): bytes already waiting, else a wait of at most
// `waitMs` and a receive.
TTcpConnection::TFillResult TTcpConnection::Fill(bool raiseOnClose, bool raiseOnTimeout, int waitMs,
                                                 TDirectTarget* direct) {
  if (ApplyCloseRule(raiseOnClose) && !socket_.IsOpen()) {
    if (raiseOnClose) throw ENotConnected(kNotConnectedText);
    return TFillResult::Closed;
  }
  // Decrypted bytes may wait inside the session while the socket has none.
  if (tls_ && TakeDecrypted()) return TFillResult::Received;
  if (tls_ && tls_->PeerClosed()) {
    PeerHasClosed(raiseOnClose, true);
    return TFillResult::Closed;
  }
  const std::size_t before = tail_ - head_;
  // Bytes already waiting are taken without a wait, except where the anti-freeze
  // must get its turn after every wait.
  if (!TAntiFreeze::ActsHere() && ReceiveIntoBuffer(true, raiseOnClose, direct)) {
    return socket_.IsOpen() ? TFillResult::Received : TFillResult::Closed;
  }
  for (;;) {
    if (WaitReadable(waitMs) == TSocketWait::TimedOut) {
      if (raiseOnTimeout) throw EReadTimeout(kReadTimeoutText);
      return TFillResult::TimedOut;
    }
    ReceiveIntoBuffer(false, raiseOnClose, direct);
    if (!socket_.IsOpen()) return TFillResult::Closed;
    if (direct ? direct->Received > 0 : tail_ - head_ > before) return TFillResult::Received;
  }
}

void TTcpConnection::SendBytes(std::string_view bytes) {
  if (writeBuffer_) {
    writeBuffer_->append(bytes);
    return;
  }
  if (closedByPeer_) {
    socket_.Close();
    throw EConnClosedGracefully(kConnClosedGracefullyText);
  }
  if (!socket_.IsOpen()) throw ENotConnected(kNotConnectedText);
  if (!tls_) {
    SendRaw(bytes);
    return;
  }
  std::string out;
  tls_->Encrypt(bytes, out);
  SendRaw(out);
}

void TTcpConnection::SendRaw(std::string_view bytes) {
  while (!bytes.empty()) {
    int error = 0;
    std::ptrdiff_t sent = socket_.Send(bytes.data(), bytes.size(), error);
    TAntiFreeze::DoProcess(false);
    if (sent == 0) {
      CloseConnection();
      throw EConnClosedGracefully(kConnClosedGracefullyText);
    }
    if (sent < 0) {
      if (error == kWsaEConnReset || IsAbortError(error)) socket_.Close();
      throw ESocketError(error);
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

void TTcpConnection::OpenWriteBuffer() {
  writeBuffer_.emplace();
}

void TTcpConnection::CloseWriteBuffer() {
  if (!writeBuffer_) return;
  std::string collected = std::move(*writeBuffer_);
  writeBuffer_.reset();
  SendBytes(collected);
}

std::string TTcpConnection::ReadLine() {
  std::size_t searched = 0;
  for (;;) {
    const char* start = buffer_.data() + head_;
    const void* found =
        Buffered() > searched ? std::memchr(start + searched, '\n', Buffered() - searched) : nullptr;
    if (found) {
      std::size_t length = static_cast<const char*>(found) - start;
      std::size_t consumed = length + 1;
      if (length > 0 && start[length - 1] == '\r') --length;
      if (length > kMaxLineLength) throw EReadLnMaxLineLengthExceeded(kMaxLineLengthExceededText);
      std::string line(start, length);
      Consume(consumed);
      return line;
    }
    searched = Buffered();
    // Room for the CR that may precede the LF still to come.
    if (searched > kMaxLineLength + 1) throw EReadLnMaxLineLengthExceeded(kMaxLineLengthExceededText);
    if (closedByPeer_ || !socket_.IsOpen()) throw EConnClosedGracefully(kConnClosedGracefullyText);
    Fill(true, true, readTimeout_);
  }
}

// Fills until `count` bytes are buffered; a close before that is a failure even
// when some bytes are buffered.
void TTcpConnection::EnsureBuffered(std::size_t count) {
  while (Buffered() < count) {
    Fill(true, true, readTimeout_);
    if (closedByPeer_ || !socket_.IsOpen()) throw EConnClosedGracefully(kConnClosedGracefullyText);
  }
}

void TTcpConnection::ReadExact(void* buffer, std::int64_t count) {
  if (count <= 0) return;
  const auto wanted = static_cast<std::size_t>(count);
  EnsureBuffered(wanted);
  std::memcpy(buffer, buffer_.data() + head_, wanted);
  Consume(wanted);
}

std::size_t TTcpConnection::ReadSome(char* buffer, std::size_t count) {
  if (count == 0) return 0;
  if (Buffered() == 0 && !tls_) {
    TDirectTarget direct{buffer, count};
    while (direct.Received == 0) {
      Fill(true, true, readTimeout_, &direct);
      if (direct.Received == 0 && (closedByPeer_ || !socket_.IsOpen()))
        throw EConnClosedGracefully(kConnClosedGracefullyText);
    }
    return direct.Received;
  }
  EnsureBuffered(1);
  const std::size_t taken = std::min(count, Buffered());
  std::memcpy(buffer, buffer_.data() + head_, taken);
  Consume(taken);
  return taken;
}

void TTcpConnection::ReadToStream(TStream& target, std::int64_t count) {
  if (count < 0) count = 0;
  target.SetSize(target.Position() + count);
  ReadBlocksToStream(target, count, false);
}

void TTcpConnection::ReadToStreamUntilClose(TStream& target) {
  ReadBlocksToStream(target, kUntilCloseCount, true);
}

// Buffered bytes first, then blocks of at most kRecvBufferSize written straight
// from the input buffer. Whatever arrived before a close is written.
void TTcpConnection::ReadBlocksToStream(TStream& target, std::int64_t count, bool untilClose) {
  struct TCutToPosition {
    TStream& Stream;
    ~TCutToPosition() {
      try {
        if (Stream.Size() > Stream.Position()) Stream.SetSize(Stream.Position());
      } catch (...) {
        // The failure that is already on its way out matters more.
      }
    }
  } cut{target};
  std::int64_t remaining = count;
  const auto first = static_cast<std::size_t>(std::min<std::int64_t>(remaining, Buffered()));
  WriteBuffered(target, first);
  remaining -= static_cast<std::int64_t>(first);
  while (remaining > 0 && socket_.IsOpen()) {
    const auto block = static_cast<std::size_t>(std::min<std::int64_t>(remaining, kRecvBufferSize));
    try {
      EnsureBuffered(block);
    } catch (const EConnClosedGracefully&) {
      WriteBuffered(target, std::min(block, Buffered()));
      if (!untilClose) throw;
      break;
    }
    WriteBuffered(target, block);
    remaining -= static_cast<std::int64_t>(block);
  }
  // Over TLS a body that lasts until the close is whole only with the peer's
  // close_notify: a bare TCP close may be anyone's cut.
  if (untilClose && closedWithoutNotify_) throw ETlsError(kClosedWithoutCloseNotifyText);
}

void TTcpConnection::WriteBuffered(TStream& target, std::size_t count) {
  if (count == 0) return;
  target.Write(buffer_.data() + head_, count);
  Consume(count);
}

void TTcpConnection::Consume(std::size_t count) {
  head_ += count;
  if (head_ == tail_) head_ = tail_ = 0;
}

void TTcpConnection::ClearInput() {
  head_ = tail_ = 0;
}

}  // namespace bailan

#pragma once

// An in-memory stand-in for the TCP connection's input side, with the same line
// and count rules, so that the HTTP readers can be fuzzed without sockets: the
// input ends where the peer would have closed.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Stream.h"
#include "transport/http/NetExceptions.h"
#include "transport/http/TcpConnection.h"

namespace bailan::fuzz {

class TByteSource {
 public:
  TByteSource(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  std::string ReadLine() {
    std::size_t end = rest_.find('\n');
    if (end == std::string_view::npos) {
      if (rest_.size() > TTcpConnection::kMaxLineLength + 1)
        throw EReadLnMaxLineLengthExceeded(kMaxLineLengthExceededText);
      throw EConnClosedGracefully(kConnClosedGracefullyText);
    }
    std::size_t length = end;
    if (length > 0 && rest_[length - 1] == '\r') --length;
    if (length > TTcpConnection::kMaxLineLength)
      throw EReadLnMaxLineLengthExceeded(kMaxLineLengthExceededText);
    std::string line(rest_.substr(0, length));
    rest_.remove_prefix(end + 1);
    return line;
  }

  void ReadToStream(TStream& target, std::int64_t count) {
    target.SetSize(target.Position() + count);
    const auto available = static_cast<std::size_t>(std::min<std::int64_t>(count, rest_.size()));
    target.Write(rest_.data(), available);
    rest_.remove_prefix(available);
    target.SetSize(target.Position());
    if (static_cast<std::int64_t>(available) < count) throw EConnClosedGracefully(kConnClosedGracefullyText);
  }

 private:
  std::string_view rest_;
};

}  // namespace bailan::fuzz

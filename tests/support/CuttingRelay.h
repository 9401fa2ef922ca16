#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

#include "platform/Socket.h"

namespace bailan::test {

// A loopback TCP relay in front of a server on 127.0.0.1: someone on the way,
// below any TLS the two speak. It passes the server's first `limit` bytes of
// each connection to the client and then either closes both sides in order
// (FIN), or (`corrupt`) flips the next byte and relays on. Serves one
// connection at a time.
class TCuttingRelay {
 public:
  // Listens on a free loopback port and relays from its own thread, which it
  // owns and joins when destroyed. Use from one thread.
  TCuttingRelay(std::uint16_t targetPort, std::size_t limit, bool corrupt = false);
  ~TCuttingRelay();
  TCuttingRelay(const TCuttingRelay&) = delete;
  TCuttingRelay& operator=(const TCuttingRelay&) = delete;

  std::uint16_t Port() const { return port_; }

 private:
  void Run();
  void Relay(TSocket& client);

  TSocket listener_;
  std::uint16_t port_ = 0;
  std::uint16_t targetPort_;
  std::size_t limit_;
  bool corrupt_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace bailan::test

#include "support/CuttingRelay.h"

#include <algorithm>
#include <stdexcept>

namespace bailan::test {
namespace {

constexpr int kAcceptWaitMs = 100;    // how often a waiting relay looks at the stop flag
constexpr int kPumpWaitMs = 5;        // wait on one side before looking at the other
constexpr int kConnectWaitMs = 5000;  // the target is on this machine
constexpr std::size_t kBlock = 16384;

// Moves what `from` has to `to`, at most `room` bytes, the first of them
// inverted with `flipFirst`; false when `from` closed or failed (or `to` did).
bool Pump(TSocket& from, TSocket& to, std::size_t room, std::size_t& moved, bool flipFirst = false) {
  int error = 0;
  if (from.WaitReadable(kPumpWaitMs, error) != TSocketWait::Ready) return error == 0;
  char block[kBlock];
  const std::ptrdiff_t received = from.Receive(block, std::min(room, sizeof block), false, error);
  if (received <= 0) return false;
  if (flipFirst) block[0] = static_cast<char>(~block[0]);
  for (std::ptrdiff_t sent = 0; sent < received;) {
    const std::ptrdiff_t step = to.Send(block + sent, static_cast<std::size_t>(received - sent), error);
    if (step <= 0) return false;
    sent += step;
  }
  moved += static_cast<std::size_t>(received);
  return true;
}

}  // namespace

TCuttingRelay::TCuttingRelay(std::uint16_t targetPort, std::size_t limit, bool corrupt)
    : targetPort_(targetPort), limit_(limit), corrupt_(corrupt) {
  int error = 0;
  listener_ = TSocket::ListenLoopback(0, error);
  if (error != 0) throw std::runtime_error("relay cannot listen: " + SocketErrorText(error));
  port_ = listener_.LocalPort();
  thread_ = std::thread([this] { Run(); });
}

TCuttingRelay::~TCuttingRelay() {
  stopping_ = true;
  thread_.join();
}

void TCuttingRelay::Run() {
  while (!stopping_) {
    int error = 0;
    TSocket client = listener_.Accept(kAcceptWaitMs, error);
    if (client.IsOpen()) Relay(client);
  }
}

void TCuttingRelay::Relay(TSocket& client) {
  int error = 0;
  TSocket server = TSocket::CreateTcp(error);
  if (error != 0) return;
  TSocketWait started = server.StartConnect(TIPv4Address{{127, 0, 0, 1}}, targetPort_, error);
  if (started == TSocketWait::Failed) return;
  if (started == TSocketWait::TimedOut && server.WaitConnected(kConnectWaitMs, error) != TSocketWait::Ready) {
    return;
  }
  std::size_t toServer = 0;
  std::size_t toClient = 0;
  while (!stopping_) {
    if (!Pump(client, server, kBlock, toServer)) return;
    if (toClient < limit_) {
      if (!Pump(server, client, limit_ - toClient, toClient)) return;
    } else if (!corrupt_) {
      return;
    } else if (!Pump(server, client, kBlock, toClient, toClient == limit_)) {
      return;
    }
  }
  // Both sockets close in order as they go out of scope.
}

}  // namespace bailan::test

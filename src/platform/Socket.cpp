// What a socket does alike on every host; the system calls are in SocketPosix.cpp
// and SocketWin32.cpp.
#include "platform/Socket.h"

#include "platform/SocketCanceller.h"

namespace bailan {

TSocket::~TSocket() {
  Close();
}

TSocket::TSocket(TSocket&& other) noexcept : handle_(other.handle_), canceller_(std::move(other.canceller_)) {
  other.handle_ = -1;
}

TSocket& TSocket::operator=(TSocket&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    canceller_ = std::move(other.canceller_);
    other.handle_ = -1;
  }
  return *this;
}

void TSocket::Shutdown() {
  if (handle_ >= 0) ShutdownHandle(handle_);
}

}  // namespace bailan

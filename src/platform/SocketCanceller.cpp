#include "platform/SocketCanceller.h"

#include "platform/Socket.h"

namespace bailan {

void TSocketCanceller::Cancel() {
  std::lock_guard lock(mutex_);
  cancelled_ = true;
  if (handle_ >= 0) TSocket::ShutdownHandle(handle_);
}

bool TSocketCanceller::Cancelled() const {
  std::lock_guard lock(mutex_);
  return cancelled_;
}

void TSocketCanceller::Reset() {
  std::lock_guard lock(mutex_);
  cancelled_ = false;
}

void TSocketCanceller::Attach(std::intptr_t handle) {
  std::lock_guard lock(mutex_);
  handle_ = handle;
  if (cancelled_) TSocket::ShutdownHandle(handle_);
}

void TSocketCanceller::Detach(std::intptr_t handle) {
  std::lock_guard lock(mutex_);
  if (handle_ == handle) handle_ = -1;
}

void TSocket::AttachCanceller(std::shared_ptr<TSocketCanceller> canceller) {
  DetachCanceller();
  canceller_ = std::move(canceller);
  if (canceller_ && handle_ >= 0) canceller_->Attach(handle_);
}

void TSocket::DetachCanceller() {
  if (!canceller_) return;
  canceller_->Detach(handle_);
  canceller_.reset();
}

}  // namespace bailan

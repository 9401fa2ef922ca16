#pragma once

#include <cstdint>
#include <mutex>

namespace bailan {

class TSocket;

// Lets one thread cut short the blocking socket calls of another: a connect, a
// wait or a receive on the socket attached to it returns at once, as if the peer
// had closed, once Cancel() was called. The socket attaches itself when its
// owner hands it the canceller and detaches before it closes, so Cancel() never
// touches a closed (or reused) socket handle.
class TSocketCanceller {
 public:
  // Not cancelled, no socket. Shared between the socket's owner and the threads
  // that may cancel; it must outlive every socket attached to it.
  TSocketCanceller() = default;
  TSocketCanceller(const TSocketCanceller&) = delete;
  TSocketCanceller& operator=(const TSocketCanceller&) = delete;

  // Any thread: shuts the attached socket down (both directions); a socket
  // attached later is shut down as it attaches.
  void Cancel();
  bool Cancelled() const;
  // The owner, for a new try: later sockets are no longer cancelled.
  void Reset();

 private:
  friend class TSocket;
  void Attach(std::intptr_t handle);
  void Detach(std::intptr_t handle);

  mutable std::mutex mutex_;
  std::intptr_t handle_ = -1;  // the attached socket, -1 when none
  bool cancelled_ = false;
};

}  // namespace bailan

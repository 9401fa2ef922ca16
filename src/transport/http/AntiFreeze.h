#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace bailan {

// Keeps the main window responsive while the main thread blocks in the transport:
// after every slice of a read wait, every step of a connect wait and every send
// call, the registered anti-freeze runs the window system's event processing.
// One object is registered for the whole process; it acts only on the main thread
// (IsMainThread()) and only while Active. The transport knows no window system:
// the owner supplies the function that processes pending events.
class TAntiFreeze {
 public:
  // Called with true to process every pending event, with false to process at
  // most one.
  using TProcessEvents = std::function<void(bool allPending)>;

  // Registers this object as the process-wide anti-freeze (replacing any other
  // until this one goes away). Create and destroy it on the main thread; it must
  // outlive every blocking call the main thread makes while it is registered.
  explicit TAntiFreeze(TProcessEvents processEvents);
  ~TAntiFreeze();
  TAntiFreeze(const TAntiFreeze&) = delete;
  TAntiFreeze& operator=(const TAntiFreeze&) = delete;

  // Settings; may be changed at any time.
  std::atomic<bool> Active{true};
  std::atomic<bool> ApplicationHasPriority{true};
  std::atomic<std::uint32_t> IdleTimeOut{kDefaultIdleTimeOut};
  // True: act only after a wait that received nothing; false: on every call.
  std::atomic<bool> OnlyWhenIdle{true};

  static constexpr std::uint32_t kDefaultIdleTimeOut = 250;  // ms between event passes in a wait

  // True when an anti-freeze is registered, Active, and the caller is the main
  // thread: waits must then be sliced.
  static bool ActsHere();
  // The registered IdleTimeOut (at least 1 ms); meaningful when ActsHere().
  static std::uint32_t CurrentIdleTimeOut();
  // Processes window events when ActsHere(). `idle`: the call follows a wait
  // that received nothing.
  static void DoProcess(bool idle);

 private:
  TProcessEvents processEvents_;
  TAntiFreeze* previous_;
};

}  // namespace bailan

#include "transport/http/AntiFreeze.h"

#include <mutex>

#include "platform/Thread.h"

namespace bailan {
namespace {

// The registration is touched on the main thread only, but guarded anyway so
// that a worker asking ActsHere() never reads it half-written.
std::mutex gRegistrationMutex;
TAntiFreeze* gRegistered = nullptr;

TAntiFreeze* RegisteredForThisThread() {
  if (!IsMainThread()) return nullptr;
  std::lock_guard lock(gRegistrationMutex);
  if (gRegistered && gRegistered->Active.load()) return gRegistered;
  return nullptr;
}

}  // namespace

TAntiFreeze::TAntiFreeze(TProcessEvents processEvents) : processEvents_(std::move(processEvents)) {
  std::lock_guard lock(gRegistrationMutex);
  previous_ = gRegistered;
  gRegistered = this;
}

TAntiFreeze::~TAntiFreeze() {
  std::lock_guard lock(gRegistrationMutex);
  if (gRegistered == this) gRegistered = previous_;
}

bool TAntiFreeze::ActsHere() {
  return RegisteredForThisThread() != nullptr;
}

std::uint32_t TAntiFreeze::CurrentIdleTimeOut() {
  TAntiFreeze* current = RegisteredForThisThread();
  std::uint32_t value = current ? current->IdleTimeOut.load() : kDefaultIdleTimeOut;
  return value == 0 ? 1 : value;
}

void TAntiFreeze::DoProcess(bool idle) {
  if (!IsMainThread()) return;
  TProcessEvents processEvents;
  bool allPending = true;
  {
    std::lock_guard lock(gRegistrationMutex);
    if (!gRegistered || !gRegistered->Active.load()) return;
    if (gRegistered->OnlyWhenIdle.load() && !idle) return;
    processEvents = gRegistered->processEvents_;
    allPending = gRegistered->ApplicationHasPriority.load();
  }
  // Runs outside the lock and on a copy: the events may create or destroy
  // anti-freeze objects.
  if (processEvents) processEvents(allPending);
}

}  // namespace bailan

#include "platform/Thread.h"

#include <chrono>

namespace bailan {
namespace {

// Set during static initialisation, which runs on the thread that starts main().
const std::thread::id kMainThreadId = std::this_thread::get_id();

}  // namespace

TThread::~TThread() {
  if (thread_.joinable()) {
    if (thread_.get_id() == std::this_thread::get_id()) {
      thread_.detach();  // the body dropped the last reference to its own object
    } else {
      thread_.join();
    }
  }
}

void TThread::Start() {
  thread_ = std::thread([this] { RunBody(); });
}

void TThread::StartFreeOnTerminate(std::shared_ptr<TThread> thread) {
  // Detached at once: the creator never stores the std::thread, so a body that
  // ends and frees the object before this call returns touches nothing stale.
  std::thread([self = std::move(thread)]() mutable {
    self->RunBody();
    self.reset();
  }).detach();
}

void TThread::RunBody() {
  try {
    Execute();
  } catch (...) {
    // A worker ends silently when an error reaches its body; the body's own
    // clean-up has already run by then.
  }
  std::lock_guard lock(finishedMutex_);
  finished_.store(true, std::memory_order_release);
  finishedChanged_.notify_all();
}

void TThread::WaitFor() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
    thread_.join();
    return;
  }
  std::unique_lock lock(finishedMutex_);
  finishedChanged_.wait(lock, [this] { return Finished(); });
}

void SleepMs(std::uint32_t milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
}

bool IsMainThread() {
  return std::this_thread::get_id() == kMainThreadId;
}

}  // namespace bailan

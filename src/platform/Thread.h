#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace bailan {

// Base of the system's thread classes: a derived class puts its body in
// Execute(). The thread never starts from a constructor: the creator calls Start()
// (or StartFreeOnTerminate()) once the object is fully constructed, so Execute()
// never sees a half-built object.
class TThread {
 public:
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Runs Execute() on a new thread owned by this object. Call at most once. The
  // object must outlive the body: its owner calls WaitFor() (the destructor of
  // this base waits too, but by then the derived part is gone, so a derived class
  // whose body may still run must wait in its own destructor).
  void Start();

  // Starts `thread` as a self-freeing thread: the running body holds a reference,
  // so the object lives at least until Execute() returns and is freed by whoever
  // drops the last reference (the thread itself when the creator kept none).
  static void StartFreeOnTerminate(std::shared_ptr<TThread> thread);

  // Blocks until Execute() has returned. Not to be called from the thread itself.
  void WaitFor();

  // True once Execute() has returned.
  bool Finished() const { return finished_.load(std::memory_order_acquire); }

 protected:
  TThread() = default;
  virtual void Execute() = 0;

 private:
  void RunBody();

  std::thread thread_;  // joinable only for threads started by Start()
  std::atomic<bool> finished_{false};
  std::mutex finishedMutex_;
  std::condition_variable finishedChanged_;
};

// Sleeps the calling thread; 0 gives the rest of its time slice to other threads.
void SleepMs(std::uint32_t milliseconds);

// The main (GUI) thread is the one that started the process. Waits that keep a
// window responsive act only there.
bool IsMainThread();

}  // namespace bailan

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "platform/Thread.h"

namespace bailan {
namespace {

class TCounter : public TThread {
 public:
  // Counts to `limit`; `destroyed` is set by the destructor and must outlive it.
  TCounter(int limit, std::atomic<bool>* destroyed) : limit_(limit), destroyed_(destroyed) {}
  ~TCounter() override {
    WaitFor();
    if (destroyed_) *destroyed_ = true;
  }
  int Count() const { return count_; }

 protected:
  void Execute() override {
    for (int i = 0; i < limit_; ++i) count_++;
    if (limit_ < 0) throw std::runtime_error("a worker's error ends it silently");
  }

 private:
  const int limit_;  // set before the thread starts: the body sees it whole
  std::atomic<int> count_{0};
  std::atomic<bool>* destroyed_;
};

TEST(Thread, BodySeesTheFullyConstructedObject) {
  TCounter counter(1000, nullptr);
  counter.Start();
  counter.WaitFor();
  EXPECT_TRUE(counter.Finished());
  EXPECT_EQ(counter.Count(), 1000);
}

TEST(Thread, AnErrorInTheBodyEndsTheThreadQuietly) {
  TCounter counter(-1, nullptr);
  counter.Start();
  counter.WaitFor();
  EXPECT_TRUE(counter.Finished());
}

TEST(Thread, SelfFreeingThreadFreesItselfWhenTheCreatorKeepsNothing) {
  std::atomic<bool> destroyed{false};
  TThread::StartFreeOnTerminate(std::make_shared<TCounter>(10, &destroyed));
  for (int i = 0; i < 5000 && !destroyed; ++i) SleepMs(1);
  EXPECT_TRUE(destroyed);
}

TEST(Thread, SharedOwnerOutlivesTheBodyAndCanWait) {
  std::atomic<bool> destroyed{false};
  auto counter = std::make_shared<TCounter>(100, &destroyed);
  TThread::StartFreeOnTerminate(counter);
  counter->WaitFor();
  EXPECT_EQ(counter->Count(), 100);
  EXPECT_FALSE(destroyed);
  counter.reset();
  for (int i = 0; i < 5000 && !destroyed; ++i) SleepMs(1);
  EXPECT_TRUE(destroyed);
}

TEST(Thread, OnlyTheStartingThreadIsMain) {
  EXPECT_TRUE(IsMainThread());
  std::atomic<bool> onWorker{true};
  std::thread([&] { onWorker = IsMainThread(); }).join();
  EXPECT_FALSE(onWorker);
}

}  // namespace
}  // namespace bailan

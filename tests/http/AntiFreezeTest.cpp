// The anti-freeze: window events are processed during the main thread's waits,
// at the named points and intervals, and never on a worker thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "HttpTestSupport.h"
#include "platform/Thread.h"
#include "platform/Tick.h"
#include "transport/http/AntiFreeze.h"
#include "platform/MemoryStream.h"
#include "transport/http/NetExceptions.h"

namespace bailan::test {
namespace {

// Counts the event passes and the longest gap between two of them.
class TEventRecorder {
 public:
  TAntiFreeze::TProcessEvents Callback() {
    return [this](bool allPending) {
      std::uint32_t now = GetTickCount32();
      if (calls_ > 0) longestGap_ = std::max(longestGap_, TickDiff(now, last_));
      last_ = now;
      ++calls_;
      allPending_ = allPending;
    };
  }
  int calls_ = 0;
  std::uint32_t last_ = 0;
  std::uint32_t longestGap_ = 0;
  bool allPending_ = false;
};

class AntiFreezeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IsMainThread()) << "these tests need the main thread";
    antiFreeze.OnlyWhenIdle = false;  // as the main window sets it
    antiFreeze.IdleTimeOut = 50;
  }
  TEventRecorder recorder;
  TAntiFreeze antiFreeze{recorder.Callback()};
  TTestServer server;
};

TEST_F(AntiFreezeTest, ThePassesComeEveryIdleTimeOutDuringAWaitOnTheMainThread) {
  server.AddScript(TConnectionScript().ReadRequest().Pause(600).Send(Ok("late")));
  THttpClient client;
  ConfigureLikeTheCallers(client);
  TMemoryStream target;
  client.GetToStream(server.Url("/m"), target);
  EXPECT_EQ(target.Bytes(), "late");
  EXPECT_GE(recorder.calls_, 8);  // 600 ms in 50 ms slices, plus sends
  EXPECT_LT(recorder.longestGap_, 250u);
  EXPECT_TRUE(recorder.allPending_);
}

TEST_F(AntiFreezeTest, AReadTimeOutIsCutIntoSlices) {
  server.AddScript(TConnectionScript().ReadRequest().Hang());
  THttpClient client;
  ConfigureLikeTheCallers(client, 500);
  EXPECT_THROW(client.HeadRequest(server.Url("/x")), EReadTimeout);
  EXPECT_GE(recorder.calls_, 6);  // ten 50 ms slices, fewer when the machine is busy
  EXPECT_LE(recorder.calls_, 14);
}

TEST_F(AntiFreezeTest, WithoutPriorityOneEventAtATime) {
  antiFreeze.ApplicationHasPriority = false;
  server.AddScript(TConnectionScript().ReadRequest().Pause(100).Send(Ok("")));
  THttpClient client;
  client.HeadRequest(server.Url("/x"));
  EXPECT_GT(recorder.calls_, 0);
  EXPECT_FALSE(recorder.allPending_);
}

TEST_F(AntiFreezeTest, OnlyWhenIdleSkipsThePassesAfterSends) {
  antiFreeze.OnlyWhenIdle = true;
  server.AddScript(TConnectionScript().Respond(Ok("")));
  THttpClient client;
  client.HeadRequest(server.Url("/x"));
  const int afterQuickAnswer = recorder.calls_;
  antiFreeze.OnlyWhenIdle = false;
  server.AddScript(TConnectionScript().Respond(Ok("")));
  THttpClient second;
  second.HeadRequest(server.Url("/x"));
  EXPECT_GT(recorder.calls_ - afterQuickAnswer, afterQuickAnswer);
}

TEST_F(AntiFreezeTest, AnInactiveAntiFreezeDoesNothing) {
  antiFreeze.Active = false;
  server.AddScript(TConnectionScript().ReadRequest().Pause(200).Send(Ok("")));
  THttpClient client;
  client.HeadRequest(server.Url("/x"));
  EXPECT_EQ(recorder.calls_, 0);
}

TEST_F(AntiFreezeTest, WorkerThreadsAreNeverAffected) {
  server.AddScript(TConnectionScript().ReadRequest().Pause(300).Send(Ok("")));
  std::atomic<bool> done{false};
  std::thread worker([&] {
    THttpClient client;
    client.HeadRequest(server.Url("/x"));
    done = true;
  });
  worker.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(recorder.calls_, 0);
}

TEST_F(AntiFreezeTest, AConnectWaitProcessesEventsAfterEachStep) {
  int error = 0;
  TSocket listener = TSocket::ListenLoopback(0, error);
  std::vector<TSocket> fillers;  // a full accept queue: the connect never completes
  for (int i = 0; i < 200; ++i) {
    TSocket filler = TSocket::CreateTcp(error);
    filler.StartConnect(TIPv4Address{{127, 0, 0, 1}}, listener.LocalPort(), error);
    fillers.push_back(std::move(filler));
  }
  TTcpConnection connection;
  connection.SetHost("127.0.0.1");
  connection.SetPort(listener.LocalPort());
  EXPECT_THROW(connection.OpenConnection(500), EConnectTimeout);
  EXPECT_GE(recorder.calls_, 9);  // 50 ms steps: the smaller of IdleTimeOut and 125 ms
}

TEST_F(AntiFreezeTest, TheLastRegisteredWinsAndTheEarlierReturns) {
  TEventRecorder inner;
  {
    TAntiFreeze nested(inner.Callback());
    nested.OnlyWhenIdle = false;
    TAntiFreeze::DoProcess(true);
  }
  TAntiFreeze::DoProcess(true);
  EXPECT_EQ(inner.calls_, 1);
  EXPECT_EQ(recorder.calls_, 1);
}

}  // namespace
}  // namespace bailan::test

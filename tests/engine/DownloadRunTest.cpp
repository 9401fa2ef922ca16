// End-to-end runs of the transfer engine over real sockets against the test
// server: fresh runs, stops and resumes, odd sizes, failures and bad servers.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>

#include "engine/EngineSettings.h"
#include "engine/ResumeFile.h"
#include "platform/FileSystem.h"
#include "platform/Socket.h"
#include "platform/Thread.h"
#include "platform/Tick.h"
#include "support/EngineRun.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "support/ZipBuilder.h"

namespace bailan {
namespace {

using test::LogText;
using test::PatternBytes;
using test::ReadFileBytes;
using test::ResumeFileImage;
using test::TConnectionScript;
using test::TEngineRun;
using test::TTempDir;
using test::TTestServer;
using test::WriteFileBytes;

// The Range header of each GET the server saw, in arrival order.
std::vector<std::string> RangesRequested(const TTestServer& server) {
  std::vector<std::string> ranges;
  for (const auto& request : server.Requests()) {
    if (request.Raw.rfind("GET ", 0) != 0) continue;
    auto at = request.Raw.find("Range: ");
    ranges.push_back(
        at == std::string::npos ? "" : request.Raw.substr(at + 7, request.Raw.find("\r\n", at) - at - 7));
  }
  std::sort(ranges.begin(), ranges.end());
  return ranges;
}

std::size_t CountLines(const std::vector<std::string>& log, const std::string& line) {
  return static_cast<std::size_t>(std::count(log.begin(), log.end(), line));
}

// Loads the table a resume file holds; a test failure when it cannot be loaded.
void LoadSavedTable(const std::string& path, TSegmentTable& table) {
  if (LoadResumeFile(path, table).Status != TResumeLoadStatus::Loaded)
    ADD_FAILURE() << path << " does not load";
}

// The retry lines of a log ("线程%d：...，%d秒后第%d次重试.").
std::size_t CountRetryLines(const std::vector<std::string>& log) {
  const std::string retry = LogText("次重试.");
  return static_cast<std::size_t>(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
    return line.size() > retry.size() && line.compare(line.size() - retry.size(), retry.size(), retry) == 0;
  }));
}

class DownloadRun : public ::testing::Test {
 protected:
  // Short pauses between tries, so that a test sees several of them.
  void SetUp() override { SetSettings(30000, 50, 200); }
  void TearDown() override {
    SetSettings(30000, 1000, 30000);
    EngineSettings().RetryClockRate = 1;
  }
  static void SetSettings(std::int32_t readTimeout, std::int32_t firstPause, std::int32_t maxPause) {
    EngineSettings().ReadTimeoutMs = readTimeout;
    EngineSettings().RetryFirstPauseMs = firstPause;
    EngineSettings().RetryMaxPauseMs = maxPause;
  }

  TTempDir dir;
  TTestServer server;
};

TEST_F(DownloadRun, FreshRunOfAThousandBytes) {
  const std::string body = PatternBytes(1000);
  server.AddFile("/files/setup.zip", body);
  TEngineRun run(server.Url("/files/setup.zip"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());

  EXPECT_EQ(ReadFileBytes(dir / "setup.zip"), body);
  EXPECT_FALSE(FileExists(dir / "setup.zip.rpc"));
  EXPECT_FALSE(FileExists(dir / "setup.zip.rpc.cfg"));
  const auto log = run.UntimedLog();
  ASSERT_EQ(log.size(), 9u) << ::testing::PrintToString(log);
  EXPECT_EQ(log[0], LogText("重新取得资源原始大小：1000 字节。"));
  EXPECT_EQ(log[1], LogText("开始创建接收文件... ..."));
  EXPECT_EQ(log[2], LogText("创建接收文件成功."));
  EXPECT_EQ(log[3], LogText("开始启动线程进行接收... ..."));
  // A fast segment may end before the run has written that it started them all.
  std::vector<std::string> middle(log.begin() + 4, log.begin() + 8);
  std::sort(middle.begin(), middle.end());
  std::vector<std::string> expected{LogText("线程启动成功，资源接收中... ..."), LogText("线程1完成退出."),
                                    LogText("线程2完成退出."), LogText("线程3完成退出.")};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(middle, expected);
  EXPECT_EQ(log[8], LogText("资源接收完成."));
  EXPECT_TRUE(run.Job->Finished);
  EXPECT_EQ(run.Job->Running, 0);
  EXPECT_EQ(run.Job->TotalSize, 1000);
  // Each segment asks for its range with the inclusive end one past it.
  EXPECT_EQ(RangesRequested(server),
            (std::vector<std::string>{"bytes=0-333", "bytes=333-666", "bytes=666-1000"}));
  // The completion move: the job and its record are gone, the received record names the file.
  EXPECT_EQ(run.Lists->JobCount(), 0);
  EXPECT_EQ(run.Lists->PendingCount(), 0);
  ASSERT_EQ(run.Lists->ReceivedCount(), 1);
  EXPECT_EQ(run.Lists->ReceivedList()[0].FileName.Get(), "setup.zip");
  EXPECT_EQ(run.Lists->ReceivedList()[0].FileSize, 1000);
}

TEST_F(DownloadRun, StoppedRunSavesItsTableAndTheNextRunResumes) {
  const std::string body = PatternBytes(300000);
  server.AddFile("/big.bin", body);
  server.SetFileOptions(test::Throttled(4096, 50));  // about 1.2 s in all, a block every 125 ms
  TEngineRun run(server.Url("/big.bin"), dir.Path());
  run.Job->StartDownload();
  // Stop once some, but not all, of the resource has arrived.
  for (int i = 0; i < 2000 && run.Job->ReceivedSize < 30000; ++i) SleepMs(5);
  ASSERT_GE(run.Job->ReceivedSize, 30000) << "too little arrived within 10 s";
  const std::uint32_t asked = GetTickCount32();
  ASSERT_TRUE(run.StopAndWait(5000));
  // A stop ends the run within about a block's time, not when the segments end.
  EXPECT_LT(TickDiff(GetTickCount32(), asked), 1000u);
  EXPECT_FALSE(run.Job->StopRequest);  // cleared as the run ended
  auto log = run.UntimedLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), LogText("资源接收未完成，任务中止."));
  for (int k = 1; k <= 3; ++k) {  // every segment stopped, the last one too
    EXPECT_EQ(CountLines(log, LogText(("线程" + std::to_string(k) + "完成退出.").c_str())), 1u) << k;
  }
  // The saved table counts less than the whole, and exactly bytes that are in the file.
  ASSERT_EQ(ReadFileBytes(dir / "big.bin.rpc.cfg").size(), 44u);
  TSegmentTable saved;
  LoadSavedTable(dir / "big.bin.rpc.cfg", saved);
  EXPECT_GT(saved.SumReceived(3), 0);
  EXPECT_LT(saved.SumReceived(3), 300000);
  const std::string partial = ReadFileBytes(dir / "big.bin.rpc");
  for (int k = 1; k <= 3; ++k) {
    const auto start = static_cast<std::size_t>(saved.Segments[k].Start.load());
    const auto received = static_cast<std::size_t>(saved.Segments[k].Received.load());
    EXPECT_EQ(partial.compare(start, received, body, start, received), 0) << "segment " << k;
    EXPECT_LT(received, 100000u) << "segment " << k << " did not stop";
  }

  // The resumed run reads the size from the file, not from the server.
  const std::size_t headsBefore = server.Requests().size();
  server.SetFileOptions(test::TFileServingOptions{});
  ASSERT_TRUE(run.RunToEnd());
  log = run.UntimedLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), LogText("取得资源原始大小：300000 字节。"));
  EXPECT_EQ(log.back(), LogText("资源接收完成."));
  for (std::size_t i = headsBefore; i < server.Requests().size(); ++i) {
    EXPECT_NE(server.Requests()[i].Raw.rfind("HEAD ", 0), 0u) << "the resumed run probed the size again";
  }
  EXPECT_EQ(ReadFileBytes(dir / "big.bin"), body);
  EXPECT_FALSE(FileExists(dir / "big.bin.rpc.cfg"));
}

TEST_F(DownloadRun, ResumedTableWithSegmentTwoCompleteStartsOnlyOneAndThree) {
  const std::string body = PatternBytes(1000);
  server.AddFile("/r.bin", body);
  // Segment 2 complete, segment 1 half done, segment 3 untouched; the partial
  // file holds exactly what the table claims.
  std::string partial(1000, '\0');
  partial.replace(0, 100, body.substr(0, 100));
  partial.replace(333, 333, body.substr(333, 333));
  WriteFileBytes(dir / "r.bin.rpc", partial);
  WriteFileBytes(dir / "r.bin.rpc.cfg",
                 ResumeFileImage(1000, 3, {{0, 333, 100}, {333, 666, 333}, {666, 1000, 0}}));
  TEngineRun run(server.Url("/r.bin"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_EQ(RangesRequested(server), (std::vector<std::string>{"bytes=100-333", "bytes=666-1000"}));
  EXPECT_EQ(ReadFileBytes(dir / "r.bin"), body);
  const auto log = run.UntimedLog();
  EXPECT_EQ(CountLines(log, LogText("线程2完成退出.")), 0u);
  EXPECT_EQ(CountLines(log, LogText("线程1完成退出.")), 1u);
}

TEST_F(DownloadRun, ResumedTableAlreadyCompleteFinishesWithoutARequest) {
  WriteFileBytes(dir / "done.bin.rpc", "abcdef");
  const std::string cfg = ResumeFileImage(6, 1, {{0, 6, 6}});
  WriteFileBytes(dir / "done.bin.rpc.cfg", cfg);
  TEngineRun run(server.Url("/done.bin"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_EQ(server.Requests().size(), 0u);
  EXPECT_EQ(ReadFileBytes(dir / "done.bin"), "abcdef");
  EXPECT_EQ(run.UntimedLog().back(), LogText("资源接收完成."));
}

TEST_F(DownloadRun, FolderIsCreatedWithItsParentsAndNamesAreNumbered) {
  server.AddFile("/setup.zip", "new contents");
  const std::string folder = dir / "a/b/c";  // no trailing separator
  TEngineRun first(server.Url("/setup.zip"), folder);
  ASSERT_TRUE(first.RunToEnd());
  EXPECT_EQ(ReadFileBytes(folder + "/setup.zip"), "new contents");
  TEngineRun second(server.Url("/setup.zip"), folder + "/");
  ASSERT_TRUE(second.RunToEnd());
  EXPECT_EQ(ReadFileBytes(folder + "/setup(1).zip"), "new contents");
  EXPECT_EQ(second.Lists->ReceivedList()[0].FileName.Get(), "setup(1).zip");
}

TEST_F(DownloadRun, TwoBytesInThreeSegmentsFetchOnlyTheLast) {
  server.AddFile("/two", "xy");
  TEngineRun run(server.Url("/two"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_EQ(RangesRequested(server), (std::vector<std::string>{"bytes=0-2"}));
  EXPECT_EQ(ReadFileBytes(dir / "two"), "xy");
  EXPECT_EQ(CountLines(run.UntimedLog(), LogText("线程3完成退出.")), 1u);
}

TEST_F(DownloadRun, EmptyResourceCompletesAtOnce) {
  server.AddFile("/empty.dat", "");
  TEngineRun run(server.Url("/empty.dat"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_EQ(RangesRequested(server).size(), 0u);
  EXPECT_TRUE(FileExists(dir / "empty.dat"));
  EXPECT_EQ(run.Lists->ReceivedCount(), 1);
}

TEST_F(DownloadRun, UnknownSizeRunsUntilStoppedAndIsProbedAgainNextTime) {
  // A HEAD answer without a length, twice.
  for (int i = 0; i < 2; ++i)
    server.AddScript(TConnectionScript().Respond("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"));
  TEngineRun run(server.Url("/nolength.bin"), dir.Path());
  run.Job->StartDownload();
  SleepMs(400);
  EXPECT_EQ(run.Job->Running, 1);  // nothing to fetch, nothing to complete
  ASSERT_TRUE(run.StopAndWait(5000));
  EXPECT_EQ(run.UntimedLog().front(), LogText("重新取得资源原始大小：-1 字节。"));
  EXPECT_EQ(ReadFileBytes(dir / "nolength.bin.rpc").size(), 0u);
  // The saved table of an unknown size cannot be resumed: the next run asks again.
  run.Job->StartDownload();
  SleepMs(300);
  ASSERT_TRUE(run.StopAndWait(5000));
  const auto log = run.UntimedLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0].rfind(LogText("续传记录文件已损坏，重新开始接收."), 0), 0u) << log[0];
  EXPECT_EQ(log[1], LogText("重新取得资源原始大小：-1 字节。"));
}

TEST_F(DownloadRun, FailingSizeProbeLeavesAnEmptyLogAndNoFiles) {
  TEngineRun run(server.Url("/missing.zip"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_TRUE(run.Job->Log.Lines().empty());
  EXPECT_FALSE(FileExists(dir / "missing.zip.rpc"));
  EXPECT_FALSE(FileExists(dir / "missing.zip.rpc.cfg"));
  EXPECT_EQ(run.Job->RunErrorClass(), "EHttpProtocolException");
  EXPECT_EQ(run.Lists->JobCount(), 1);  // a failed job stays listed
}

TEST_F(DownloadRun, PartialFileMissingBesideItsResumeFile) {
  const std::string cfg = ResumeFileImage(10, 1, {{0, 10, 2}});
  WriteFileBytes(dir / "gone.bin.rpc.cfg", cfg);
  TEngineRun run(server.Url("/gone.bin"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());
  const auto log = run.UntimedLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], LogText("取得资源原始大小：10 字节。"));
  EXPECT_EQ(log[1], LogText("接收文件不存在，退出."));
  EXPECT_EQ(ReadFileBytes(dir / "gone.bin.rpc.cfg"), cfg);  // left as it was
  EXPECT_EQ(server.Requests().size(), 0u);
}

TEST_F(DownloadRun, DamagedResumeFileStartsAfreshAndSaysSo) {
  server.AddFile("/d.bin", PatternBytes(500));
  WriteFileBytes(dir / "d.bin.rpc.cfg", "garbage");
  WriteFileBytes(dir / "d.bin.rpc", "stale");
  TEngineRun run(server.Url("/d.bin"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());
  const auto log = run.UntimedLog();
  EXPECT_EQ(log[0].rfind(LogText("续传记录文件已损坏，重新开始接收."), 0), 0u);
  EXPECT_EQ(log[1], LogText("重新取得资源原始大小：500 字节。"));
  EXPECT_EQ(ReadFileBytes(dir / "d.bin"), PatternBytes(500));
}

TEST_F(DownloadRun, UrlWithoutAFileNameEndsAtOnce) {
  TEngineRun run(server.Url("/install/"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());
  ASSERT_EQ(run.UntimedLog().size(), 1u);
  EXPECT_EQ(run.UntimedLog()[0], LogText("资源地址中没有文件名，退出."));
  EXPECT_EQ(server.Requests().size(), 0u);
  EXPECT_FALSE(FileExists(dir / ".rpc"));
}

TEST_F(DownloadRun, StalledSegmentIsTriedAgainAfterItsReadTimeOut) {
  EngineSettings().ReadTimeoutMs = 300;
  const std::string body = PatternBytes(100);
  server.AddFile("/s.bin", body);
  // HEAD from the files, then a GET whose answer never comes; the next try is
  // served from the files.
  server.AddScript(TConnectionScript().ReadRequest().Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"));
  server.AddScript(TConnectionScript().ReadRequest().Hang());
  TEngineRun run(server.Url("/s.bin"), dir.Path(), 1);
  ASSERT_TRUE(run.RunToEnd(10000));
  EXPECT_EQ(ReadFileBytes(dir / "s.bin"), body);
  const auto log = run.UntimedLog();
  EXPECT_EQ(CountLines(log, LogText("线程1：接收超时，1秒后第1次重试.")), 1u)
      << ::testing::PrintToString(log);
  EXPECT_EQ(CountRetryLines(log), 1u);
}

TEST_F(DownloadRun, ConnectionResetMidSegmentIsResumedWhereItBroke) {
  const std::string body = PatternBytes(300000);
  server.AddFile("/reset.bin", body);
  test::TFileServingOptions options = test::Throttled(8192, 2);
  options.ResetAfterBytes = 40000;  // the first body longer than that breaks off
  options.ResetCount = 1;
  server.SetFileOptions(options);
  TEngineRun run(server.Url("/reset.bin"), dir.Path());
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_EQ(ReadFileBytes(dir / "reset.bin"), body);
  const auto log = run.UntimedLog();
  EXPECT_EQ(CountRetryLines(log), 1u) << ::testing::PrintToString(log);
  EXPECT_EQ(log.back(), LogText("资源接收完成."));
  // The retry asked only for what was missing: four GETs, one of them resuming.
  EXPECT_EQ(RangesRequested(server).size(), 4u);
}

TEST_F(DownloadRun, RefusedPortForTwoTriesThenServed) {
  // A port with nothing behind it: the table needs no size probe.
  int error = 0;
  const std::uint16_t port = TSocket::ListenLoopback(0, error).LocalPort();
  ASSERT_EQ(error, 0);
  const std::string body = PatternBytes(5000);
  WriteFileBytes(dir / "late.bin.rpc", std::string(5000, '\0'));
  WriteFileBytes(dir / "late.bin.rpc.cfg", ResumeFileImage(5000, 1, {{0, 5000, 0}}));
  SetSettings(30000, 300, 1000);
  TEngineRun run("http://127.0.0.1:" + std::to_string(port) + "/late.bin", dir.Path());
  run.Job->StartDownload();
  const std::string second = LogText("线程1：连接失败，1秒后第2次重试.");
  for (int i = 0; i < 400 && CountLines(run.UntimedLog(), second) == 0; ++i) SleepMs(5);
  ASSERT_EQ(CountLines(run.UntimedLog(), second), 1u) << ::testing::PrintToString(run.UntimedLog());
  TTestServer late(port);  // up before the third try, 600 ms after the second failure
  late.AddFile("/late.bin", body);
  ASSERT_TRUE(run.Job->WaitUntilIdle(10000));
  run.WaitForThreads();
  EXPECT_EQ(ReadFileBytes(dir / "late.bin"), body);
  EXPECT_EQ(CountRetryLines(run.UntimedLog()), 2u);
}

TEST_F(DownloadRun, PausesDoubleFromOneSecondToThirtyAndTheEighthFailureGivesTheSlotUp) {
  // The pauses in use, on a clock a hundred times as fast: 91 s of pauses in 0.91 s.
  SetSettings(30000, 1000, 30000);
  EngineSettings().RetryClockRate = 100;
  int error = 0;
  const std::uint16_t port = TSocket::ListenLoopback(0, error).LocalPort();
  WriteFileBytes(dir / "never.bin.rpc", std::string(3000, '\0'));
  const std::string cfg = ResumeFileImage(3000, 3, {{0, 1000, 1000}, {1000, 2000, 20}, {2000, 3000, 1000}});
  WriteFileBytes(dir / "never.bin.rpc.cfg", cfg);
  TEngineRun run("http://127.0.0.1:" + std::to_string(port) + "/never.bin", dir.Path());
  const std::uint32_t started = GetTickCount32();
  ASSERT_TRUE(run.RunToEnd(20000));  // ends by itself, without a stop
  const auto log = run.UntimedLog();
  const int pauses[] = {1, 2, 4, 8, 16, 30, 30};
  std::vector<std::string> expected;
  for (int n = 1; n <= 7; ++n) {
    expected.push_back(LogText(
        ("线程2：连接失败，" + std::to_string(pauses[n - 1]) + "秒后第" + std::to_string(n) + "次重试.")
            .c_str()));
  }
  std::vector<std::string> retries;
  std::copy_if(log.begin(), log.end(), std::back_inserter(retries),
               [](const std::string& line) { return CountRetryLines({line}) == 1; });
  EXPECT_EQ(retries, expected) << ::testing::PrintToString(log);
  EXPECT_GE(TickDiff(GetTickCount32(), started), 910u) << "the run did not wait out its pauses";
  EXPECT_EQ(CountLines(log, LogText("线程2：连续8次没有收到数据，放弃.")), 1u);
  EXPECT_EQ(log.back(), LogText("资源接收未完成，任务中止."));
  EXPECT_EQ(ReadFileBytes(dir / "never.bin.rpc.cfg"), cfg);  // saved again, unchanged
  EXPECT_EQ(run.Job->RunErrorClass(), "EConnectException");
  EXPECT_FALSE(run.Job->Finished);
}

TEST_F(DownloadRun, ATryThatBroughtDataIsRepeatedAtOnceAndStartsTheCountOfFailuresAfresh) {
  // Every answer breaks off after three blocks: eleven failures in all, never
  // two in a row without data, so the slot is never given up, and each is asked
  // again without a pause: the server answered a moment ago.
  const std::string body = PatternBytes(12 * 30720);
  server.AddFile("/flaky.bin", body);
  test::TFileServingOptions options = test::Throttled(4096, 2);
  options.ResetAfterBytes = 3 * 10240 + 100;
  server.SetFileOptions(options);
  TEngineRun run(server.Url("/flaky.bin"), dir.Path(), 1);
  ASSERT_TRUE(run.RunToEnd(30000));
  const auto log = run.UntimedLog();
  EXPECT_EQ(ReadFileBytes(dir / "flaky.bin"), body);
  EXPECT_GT(CountRetryLines(log), 8u) << ::testing::PrintToString(log);
  const std::string firstTry = LogText("，0秒后第1次重试.");
  for (const std::string& line : log) {
    if (CountRetryLines({line}) == 1) {
      EXPECT_TRUE(line.ends_with(firstTry)) << line;
    }
  }
  EXPECT_EQ(log.back(), LogText("资源接收完成."));
}

TEST_F(DownloadRun, TheResumeFileIsSavedEveryTwoSecondsWhileTheRunGoesOn) {
  // About ten seconds of one slow segment.
  const std::string body = PatternBytes(200000);
  server.AddFile("/long.bin", body);
  server.SetFileOptions(test::Throttled(2048, 100));
  TEngineRun run(server.Url("/long.bin"), dir.Path(), 1);
  const std::uint32_t started = GetTickCount32();
  run.Job->StartDownload();
  // The saved table: what a crash now would leave.
  auto savedCount = [&]() -> std::int32_t {
    TSegmentTable table;
    if (LoadResumeFile(dir / "long.bin.rpc.cfg", table).Status != TResumeLoadStatus::Loaded) return -1;
    return table.SumReceived(1);
  };
  for (int i = 0; i < 1600 && savedCount() < 0; ++i) SleepMs(5);
  const std::uint32_t firstSave = TickDiff(GetTickCount32(), started);
  const std::int32_t first = savedCount();
  ASSERT_GT(first, 0) << "no resume file within 8 s of the run";
  EXPECT_GE(firstSave, 1900u) << "saved sooner than every 2 s";
  EXPECT_EQ(run.Job->Running, 1) << "the run had ended: the save was not one in passing";
  for (int i = 0; i < 1000 && savedCount() == first; ++i) SleepMs(5);
  const std::int32_t second = savedCount();
  EXPECT_GT(second, first) << "no second save within 5 s";
  EXPECT_LT(second, 200000);
  // Every byte a save counted was in the partial file.
  EXPECT_EQ(ReadFileBytes(dir / "long.bin.rpc").substr(0, static_cast<std::size_t>(second)),
            body.substr(0, static_cast<std::size_t>(second)));
  ASSERT_TRUE(run.StopAndWait(5000));
}

TEST_F(DownloadRun, StopCutsAStalledReadOrProbeShort) {
  server.AddFile("/hang.bin", PatternBytes(100));
  for (const bool duringProbe : {true, false}) {
    SCOPED_TRACE(duringProbe ? "size probe" : "segment read");
    TTempDir folder;
    if (!duringProbe) {
      WriteFileBytes(folder / "hang.bin.rpc", std::string(100, '\0'));
      WriteFileBytes(folder / "hang.bin.rpc.cfg", ResumeFileImage(100, 1, {{0, 100, 0}}));
    }
    const std::size_t before = server.Requests().size();
    server.AddScript(TConnectionScript().ReadRequest().Hang());
    TEngineRun run(server.Url("/hang.bin"), folder.Path(), 1);
    run.Job->StartDownload();
    ASSERT_TRUE(server.WaitForRequests(before + 1, 5000));
    SleepMs(100);
    const std::uint32_t asked = GetTickCount32();
    run.Job->RequestStop();
    ASSERT_TRUE(run.Job->WaitUntilIdle(5000));
    EXPECT_LT(TickDiff(GetTickCount32(), asked), 1000u) << "the stop waited for the read time-out";
    run.WaitForThreads();
    EXPECT_EQ(run.UntimedLog().back(), LogText("资源接收未完成，任务中止."));
    EXPECT_TRUE(run.Job->RunErrorClass().empty()) << run.Job->RunErrorMessage();
    EXPECT_EQ(FileExists(folder / "hang.bin.rpc"), !duringProbe);
  }
}

TEST_F(DownloadRun, ServerThatIgnoresRangeServesOnlyTheSegmentFromZero) {
  const std::string body = PatternBytes(5000);
  server.AddFile("/whole.bin", body);
  test::TFileServingOptions ignore;
  ignore.IgnoreRange = true;
  server.SetFileOptions(ignore);
  TEngineRun run(server.Url("/whole.bin"), dir.Path());
  ASSERT_TRUE(run.RunToEnd(10000));  // every other slot is given up: the run ends by itself
  // Segment 1 takes its 1666 bytes from the start of the whole body; segments 2
  // and 3 would have written the resource's first bytes at their offsets.
  EXPECT_EQ(ReadFileBytes(dir / "whole.bin.rpc"), body.substr(0, 1666) + std::string(5000 - 1666, '\0'));
  const auto log = run.UntimedLog();
  EXPECT_EQ(CountLines(log, LogText("线程1完成退出.")), 1u);
  for (int k = 2; k <= 3; ++k) {
    const std::string line = "线程" + std::to_string(k) + "：服务器没有按请求的范围应答（200），退出.";
    EXPECT_EQ(CountLines(log, LogText(line.c_str())), 1u) << ::testing::PrintToString(log);
  }
  EXPECT_EQ(CountRetryLines(log), 0u);
  EXPECT_EQ(log.back(), LogText("资源接收未完成，任务中止."));
  EXPECT_EQ(run.Job->RunErrorClass(), "ERangeError");
  EXPECT_EQ(ReadFileBytes(dir / "whole.bin.rpc.cfg"),
            ResumeFileImage(5000, 3, {{0, 1666, 1666}, {1666, 3332, 0}, {3332, 5000, 0}}));
}

TEST_F(DownloadRun, ReplyThatIsNotTheRangeWritesNothingAndSaysWhy) {
  // Segment 1 resumes at byte 100 of [0, 1000).
  const struct {
    const char* head;
    const char* why;
  } cases[] = {
      {"HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 101-999/1000\r\nContent-Length: 899\r\n\r\n",
       "206, Content-Range: bytes 101-999/1000"},
      {"HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-999/1000\r\nTransfer-Encoding: "
       "chunked\r\n\r\n",
       "206, Content-Range: bytes 100-999/1000, Transfer-Encoding: chunked"},
      {"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n", "200"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.why);
    TTempDir folder;
    const std::string partial(1000, 'x');
    WriteFileBytes(folder / "r.bin.rpc", partial);
    WriteFileBytes(folder / "r.bin.rpc.cfg", ResumeFileImage(1000, 1, {{0, 1000, 100}}));
    server.AddScript(TConnectionScript().Respond(each.head + PatternBytes(1000)));
    TEngineRun run(server.Url("/r.bin"), folder.Path(), 1);
    ASSERT_TRUE(run.RunToEnd(5000));
    EXPECT_EQ(ReadFileBytes(folder / "r.bin.rpc"), partial);
    const auto log = run.UntimedLog();
    const std::string line = std::string("线程1：服务器没有按请求的范围应答（") + each.why + "），退出.";
    EXPECT_EQ(CountLines(log, LogText(line.c_str())), 1u) << ::testing::PrintToString(log);
    EXPECT_EQ(CountRetryLines(log), 0u);
    EXPECT_EQ(run.Job->RunErrorClass(), "ERangeError");
  }
}

TEST_F(DownloadRun, StopRequestedWhileIdleStopsTheNextRunOnce) {
  server.AddFile("/i.bin", PatternBytes(100));
  TEngineRun run(server.Url("/i.bin"), dir.Path());
  run.Job->RequestStop();
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_EQ(run.UntimedLog().back(), LogText("资源接收未完成，任务中止."));
  EXPECT_FALSE(run.Job->StopRequest);
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_EQ(run.UntimedLog().back(), LogText("资源接收完成."));
  EXPECT_EQ(ReadFileBytes(dir / "i.bin"), PatternBytes(100));
}

TEST_F(DownloadRun, ArchiveIsUnpackedIntoTheFolderAndDeleted) {
  const std::string pack = test::TZipBuilder()
                               .AddFile("BL.exe", "program", 8)
                               .AddFile("data/", "")
                               .AddFile("data/readme.txt", "hello")
                               .Build();
  server.AddFile("/pack.zip", pack);
  TEngineRun run(server.Url("/pack.zip"), dir / "product", 3, true);
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_EQ(ReadFileBytes(dir / "product/BL.exe"), "program");
  EXPECT_EQ(ReadFileBytes(dir / "product/data/readme.txt"), "hello");
  EXPECT_FALSE(FileExists(dir / "product/pack.zip"));
  EXPECT_EQ(run.Lists->ReceivedList()[0].FileName.Get(), "pack.zip");
}

TEST_F(DownloadRun, ArchiveThatIsNoZipStaysWithTheJobListed) {
  server.AddFile("/bad.zip", "this is not a zip archive at all");
  TEngineRun run(server.Url("/bad.zip"), dir.Path(), 3, true);
  ASSERT_TRUE(run.RunToEnd());
  EXPECT_TRUE(run.Job->Finished);
  EXPECT_FALSE(run.Job->RunErrorClass().empty());
  EXPECT_TRUE(FileExists(dir / "bad.zip"));
  EXPECT_FALSE(FileExists(dir / "bad.zip.rpc.cfg"));
  EXPECT_EQ(run.Lists->JobCount(), 1);
  EXPECT_EQ(run.Lists->PendingCount(), 1);
}

TEST_F(DownloadRun, WindowClosingWhileJobsRunLeavesNoThreadOnFreedObjects) {
  const std::string body = PatternBytes(200000);
  server.AddFile("/a.bin", body);
  server.SetFileOptions(test::Throttled(8192, 5));
  std::weak_ptr<TDownloadJob> first, second;
  {
    TEngineRun a(server.Url("/a.bin"), dir / "a");
    TEngineRun b(server.Url("/a.bin"), dir / "b");
    a.Job->StartDownload();
    b.Job->StartDownload();
    first = a.Job;
    second = b.Job;
    SleepMs(50);
    // The window goes: the lists and every reference it held are released
    // while both runs are still receiving.
    a.Lists->ReleaseJobs();
    b.Lists->ReleaseJobs();
  }
  // The runs carry on with the objects they own and finish; the completion move
  // finds no window and the files are still whole.
  for (int i = 0; i < 4000 && (!first.expired() || !second.expired()); ++i) SleepMs(5);
  EXPECT_TRUE(first.expired());
  EXPECT_TRUE(second.expired());
  EXPECT_EQ(ReadFileBytes(dir / "a/a.bin"), body);
  EXPECT_EQ(ReadFileBytes(dir / "b/a.bin"), body);
}

TEST_F(DownloadRun, SlowConnectionShowsProgressBlockByBlock) {
  // Progress must not wait for the receive buffer (100 blocks) to fill: a whole
  // block is written once it has been held 200 ms, and a stop keeps every whole
  // block that had arrived.
  struct TCase {
    const char* Name;
    std::size_t SendSize;
    int DelayMs;
    std::size_t BodySize;
  };
  const TCase cases[] = {
      // Each block shown when the next one starts to arrive.
      {"a block every 300 ms", 10240, 300, 200000},
      // A block every 125 ms, arriving in pieces that straddle the blocks: the
      // buffer would take 12.8 s to fill.
      {"4096 bytes every 50 ms", 4096, 50, 400000},
  };
  int number = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string name = "slow" + std::to_string(++number) + ".bin";
    const std::string body = PatternBytes(c.BodySize);
    server.AddFile("/" + name, body);
    server.SetFileOptions(test::Throttled(c.SendSize, c.DelayMs));
    TEngineRun run(server.Url("/" + name), dir.Path(), 1);
    run.Job->StartDownload();
    for (int i = 0; i < 200 && run.Job->ReceivedSize == 0; ++i) SleepMs(5);
    ASSERT_GT(run.Job->ReceivedSize, 0) << "no block was shown within 1 s";
    SleepMs(900);
    const std::int32_t seen = run.Job->ReceivedSize;
    EXPECT_GE(seen, 2 * 10240);
    EXPECT_LT(seen, static_cast<std::int32_t>(c.BodySize));
    ASSERT_TRUE(run.StopAndWait(5000));
    // The saved table, not the figures the job showed last.
    TSegmentTable saved;
    LoadSavedTable(dir / (name + ".rpc.cfg"), saved);
    const std::int32_t kept = saved.SumReceived(1);
    EXPECT_GE(kept, seen);
    EXPECT_EQ(kept % 10240, 0);
    // What the table counts is in the file.
    EXPECT_EQ(ReadFileBytes(dir / (name + ".rpc")).substr(0, static_cast<std::size_t>(kept)),
              body.substr(0, static_cast<std::size_t>(kept)));
  }
}

TEST_F(DownloadRun, ResourceThatChangedSizeSinceTheStopStartsAfreshOnce) {
  // The table was saved for a 1000-byte resource; the server now has 1200 bytes.
  const std::string body = PatternBytes(1200);
  server.AddFile("/changed.bin", body);
  WriteFileBytes(dir / "changed.bin.rpc", std::string(1000, 'x'));
  WriteFileBytes(dir / "changed.bin.rpc.cfg", ResumeFileImage(1000, 1, {{0, 1000, 400}}));
  TEngineRun run(server.Url("/changed.bin"), dir.Path(), 1);
  ASSERT_TRUE(run.RunToEnd(5000));
  EXPECT_EQ(ReadFileBytes(dir / "changed.bin"), body);
  const auto log = run.UntimedLog();
  EXPECT_EQ(CountLines(log, LogText("服务器上的资源已改变，删除已接收的数据，重新开始接收.")), 1u)
      << ::testing::PrintToString(log);
  EXPECT_EQ(CountLines(log, LogText("重新取得资源原始大小：1200 字节。")), 1u);
  EXPECT_EQ(log.back(), LogText("资源接收完成."));

  // A second change within the same run ends it.
  TTempDir again;
  WriteFileBytes(again / "changed.bin.rpc", std::string(1000, 'x'));
  WriteFileBytes(again / "changed.bin.rpc.cfg", ResumeFileImage(1000, 1, {{0, 1000, 400}}));
  server.AddScript(TConnectionScript().Respond(
      "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 400-1199/1200\r\nContent-Length: 800\r\n\r\n" +
      body.substr(400)));
  server.AddScript(TConnectionScript().Respond("HTTP/1.1 200 OK\r\nContent-Length: 1200\r\n\r\n"));
  server.AddScript(TConnectionScript().Respond(
      "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 0-1199/1400\r\nContent-Length: 1200\r\n\r\n" +
      body));
  TEngineRun second(server.Url("/changed.bin"), again.Path(), 1);
  ASSERT_TRUE(second.RunToEnd(5000));
  const auto secondLog = second.UntimedLog();
  EXPECT_EQ(CountLines(secondLog, LogText("服务器上的资源已改变，删除已接收的数据，重新开始接收.")), 1u);
  EXPECT_EQ(secondLog.back(), LogText("资源接收未完成，任务中止.")) << ::testing::PrintToString(secondLog);
  EXPECT_EQ(second.Job->RunErrorClass(), "ERangeError");
  EXPECT_EQ(ReadFileBytes(again / "changed.bin.rpc"), std::string(1200, '\0'));
  EXPECT_EQ(ReadFileBytes(again / "changed.bin.rpc.cfg"), ResumeFileImage(1200, 1, {{0, 1200, 0}}));
}

TEST_F(DownloadRun, ResumeTableThatDoesNotFitItsPartialFileStartsAfresh) {
  const std::string body = PatternBytes(1000);
  server.AddFile("/t.bin", body);
  const struct {
    const char* name;
    std::string partial;
    std::string table;
  } cases[] = {
      // Overlapping entries that sum to the size, both "complete".
      {"overlap", body, ResumeFileImage(1000, 2, {{0, 500, 500}, {0, 500, 500}})},
      {"short partial file", body.substr(0, 999), ResumeFileImage(1000, 1, {{0, 1000, 1000}})},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.name);
    TTempDir folder;
    WriteFileBytes(folder / "t.bin.rpc", each.partial);
    WriteFileBytes(folder / "t.bin.rpc.cfg", each.table);
    TEngineRun run(server.Url("/t.bin"), folder.Path());
    ASSERT_TRUE(run.RunToEnd());
    const auto log = run.UntimedLog();
    EXPECT_EQ(log[0].rfind(LogText("续传记录文件已损坏，重新开始接收."), 0), 0u) << log[0];
    EXPECT_EQ(ReadFileBytes(folder / "t.bin"), body);
  }
}

TEST_F(DownloadRun, FailedDataWriteIsTheRecordedFailureNotTheSaveAfterIt) {
  // Writes beyond 2000 bytes fail (as on a full disk), and so does every save of
  // the resume file, whose temporary name is taken by a folder.
  const std::string body = PatternBytes(6000);
  server.AddFile("/full.bin", body);
  WriteFileBytes(dir / "full.bin.rpc", std::string(6000, '\0'));
  WriteFileBytes(dir / "full.bin.rpc.cfg", ResumeFileImage(6000, 1, {{0, 6000, 3000}}));
  ASSERT_TRUE(ForceDirectories(dir / "full.bin.rpc.cfg.tmp"));
  auto limit = std::make_optional<test::TFileSizeLimit>(2000);
  if (!limit->Active()) GTEST_SKIP() << "no limit on file sizes to make writes fail (Windows has none)";
  TEngineRun run(server.Url("/full.bin"), dir.Path(), 1);
  const bool ended = run.RunToEnd(10000);
  limit.reset();
  ASSERT_TRUE(ended);
  EXPECT_EQ(run.Job->RunErrorClass(), "EInOutError");
  EXPECT_EQ(run.Job->RunErrorMessage().rfind("Writing \"", 0), 0u) << run.Job->RunErrorMessage();
  EXPECT_NE(run.Job->RunErrorMessage().find("full.bin.rpc\""), std::string::npos)
      << run.Job->RunErrorMessage();
}

}  // namespace
}  // namespace bailan

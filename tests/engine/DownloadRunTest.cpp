// End-to-end runs of the transfer engine over real sockets against the test
// server: fresh runs, stops and resumes, odd sizes, failures and bad servers.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/EngineSettings.h"
#include "platform/FileSystem.h"
#include "platform/Thread.h"
#include "support/EngineRun.h"
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

class DownloadRun : public ::testing::Test {
 protected:
  void SetUp() override { EngineSettings().ReadTimeoutMs = 30000; }
  void TearDown() override { EngineSettings().ReadTimeoutMs = 30000; }

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
  server.SetFileOptions(test::Throttled(4096, 50));  // about 1.2 s in all
  TEngineRun run(server.Url("/big.bin"), dir.Path());
  run.Job->StartDownload();
  // Stop once some, but not all, of the resource has arrived.
  for (int i = 0; i < 2000 && run.Job->ReceivedSize < 30000; ++i) SleepMs(5);
  ASSERT_TRUE(run.StopAndWait(20000));
  EXPECT_FALSE(run.Job->StopRequest);  // cleared as the run ended
  auto log = run.UntimedLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), LogText("资源接收未完成，任务中止."));
  ASSERT_EQ(ReadFileBytes(dir / "big.bin.rpc.cfg").size(), 44u);
  const std::int32_t before = run.Job->ReceivedSize;
  EXPECT_GT(before, 0);
  EXPECT_LT(before, 300000);

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

TEST_F(DownloadRun, StalledSegmentEndsAfterTheReadTimeOut) {
  EngineSettings().ReadTimeoutMs = 300;
  server.AddFile("/s.bin", PatternBytes(100));
  // HEAD from the files, then a GET whose answer never comes.
  server.AddScript(TConnectionScript().ReadRequest().Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"));
  server.AddScript(TConnectionScript().ReadRequest().Hang());
  TEngineRun run(server.Url("/s.bin"), dir.Path(), 1);
  run.Job->StartDownload();
  for (int i = 0; i < 400 && run.Job->ActiveSegments == 0; ++i) SleepMs(5);
  for (int i = 0; i < 400 && run.Job->ActiveSegments != 0; ++i) SleepMs(5);
  EXPECT_EQ(run.Job->ActiveSegments, 0);  // it gave up by itself
  EXPECT_EQ(run.Job->Running, 1);         // the run does not notice
  const auto log = run.UntimedLog();
  EXPECT_EQ(CountLines(log, LogText("线程1完成退出.")), 0u);
  ASSERT_TRUE(run.StopAndWait(5000));
  EXPECT_EQ(run.Job->ReceivedSize, 0);
}

TEST_F(DownloadRun, ServerThatIgnoresRangeWritesNothing) {
  const std::string body = PatternBytes(5000);
  server.AddFile("/whole.bin", body);
  test::TFileServingOptions ignore;
  ignore.IgnoreRange = true;
  server.SetFileOptions(ignore);
  TEngineRun run(server.Url("/whole.bin"), dir.Path());
  run.Job->StartDownload();
  for (int i = 0; i < 1000 && run.Job->Log.Count() < 8; ++i) SleepMs(5);
  ASSERT_TRUE(run.StopAndWait(5000));
  // Segments 2 and 3 would have written the resource's first bytes at their offsets.
  EXPECT_EQ(ReadFileBytes(dir / "whole.bin.rpc"), std::string(5000, '\0'));
  const auto log = run.UntimedLog();
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(
        CountLines(
            log,
            LogText(("线程" + std::to_string(k) + "：服务器没有按请求的范围应答（200），退出.").c_str())),
        1u);
  }
  EXPECT_EQ(log.back(), LogText("资源接收未完成，任务中止."));
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
  // One 10240-byte block every 300 ms: progress must not wait for a group of
  // blocks to fill, and a stop keeps every block that had arrived.
  const std::string body = PatternBytes(200000);
  server.AddFile("/slow.bin", body);
  server.SetFileOptions(test::Throttled(10240, 300));
  TEngineRun run(server.Url("/slow.bin"), dir.Path(), 1);
  run.Job->StartDownload();
  for (int i = 0; i < 300 && run.Job->ReceivedSize == 0; ++i) SleepMs(5);
  SleepMs(900);
  const std::int32_t seen = run.Job->ReceivedSize;
  EXPECT_GE(seen, 2 * 10240);
  EXPECT_LT(seen, 200000);
  ASSERT_TRUE(run.StopAndWait(5000));
  const std::int32_t kept = run.Job->ReceivedSize;
  EXPECT_GE(kept, seen);
  EXPECT_EQ(kept % 10240, 0);
  // What the table counts is in the file.
  EXPECT_EQ(ReadFileBytes(dir / "slow.bin.rpc").substr(0, static_cast<std::size_t>(kept)),
            body.substr(0, static_cast<std::size_t>(kept)));
}

TEST_F(DownloadRun, ResourceThatChangedSizeSinceTheStopIsNotMixedIn) {
  // The table was saved for a 1000-byte resource; the server now has 1200 bytes.
  server.AddFile("/changed.bin", PatternBytes(1200));
  WriteFileBytes(dir / "changed.bin.rpc", std::string(1000, '\0'));
  WriteFileBytes(dir / "changed.bin.rpc.cfg", ResumeFileImage(1000, 1, {{0, 1000, 0}}));
  TEngineRun run(server.Url("/changed.bin"), dir.Path());
  run.Job->StartDownload();
  for (int i = 0; i < 1000 && run.Job->Log.Count() < 4; ++i) SleepMs(5);
  ASSERT_TRUE(run.StopAndWait(5000));
  EXPECT_EQ(ReadFileBytes(dir / "changed.bin.rpc"), std::string(1000, '\0'));
  EXPECT_EQ(CountLines(run.UntimedLog(), LogText("线程1：服务器没有按请求的范围应答（206），退出.")), 1u);
  EXPECT_EQ(run.Job->ReceivedSize, 0);
}

}  // namespace
}  // namespace bailan

// Jobs whose resources get one local name: they never share a partial or
// resume file, and each receives and unpacks its own archive; documents that
// cannot name a local file are refused before anything is sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/HostSystem.h"
#include "support/EngineRun.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "support/ZipBuilder.h"

namespace bailan {
namespace {

using test::LogText;
using test::PatternBytes;
using test::TEngineRun;
using test::TTempDir;
using test::TTestServer;

// Everything in `folder`, sorted.
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(test::FsPath(folder)))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(LocalName, JobsOfOneLocalNameEachReceiveAndUnpackTheirOwnArchive) {
  const std::string one = PatternBytes(150000), two = std::string(120000, 't');
  struct {
    const char *First, *Second;
    std::vector<std::string> Files;
  } cases[] = {
      {"/d/pack.zip", "/d/pack.zip", {"one.txt"}},  // the same URL listed twice
      {"/one/pack.zip", "/two/pack.zip", {"one.txt", "two.txt"}},
      {"/one/pack.zip", "/two/PACK.ZIP", {"one.txt", "two.txt"}},  // one name on Windows
  };
  TTestServer server;
  server.SetFileOptions(test::Throttled(8192, 10));  // long enough for the runs to overlap
  const std::string packOne = test::TZipBuilder().AddFile("one.txt", one).Build();
  server.AddFile("/d/pack.zip", packOne);
  server.AddFile("/one/pack.zip", packOne);
  server.AddFile("/two/pack.zip", test::TZipBuilder().AddFile("two.txt", two).Build());
  server.AddFile("/two/PACK.ZIP", test::TZipBuilder().AddFile("two.txt", two).Build());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Second);
    TTempDir dir;
    TEngineRun first(server.Url(c.First), dir.Path(), 3, true),
        second(server.Url(c.Second), dir.Path(), 3, true);
    first.Job->StartDownload();
    second.Job->StartDownload();
    ASSERT_TRUE(first.Job->WaitUntilIdle(20000) && second.Job->WaitUntilIdle(20000));
    first.WaitForThreads();
    second.WaitForThreads();
    EXPECT_TRUE(first.Job->Finished && second.Job->Finished)
        << first.Job->RunErrorMessage() << " / " << second.Job->RunErrorMessage();
    EXPECT_EQ(first.Lists->JobCount() + second.Lists->JobCount(), 0);
    EXPECT_EQ(Entries(dir.Path()), c.Files);  // no partial, resume or archive file is left
    EXPECT_EQ(test::ReadFileBytes(dir / "one.txt"), one);
    if (c.Files.size() > 1) {
      EXPECT_EQ(test::ReadFileBytes(dir / "two.txt"), two);
    }
  }
}

TEST(LocalName, JobWaitingForTheNameStopsOnRequest) {
  TTestServer server;
  server.SetFileOptions(test::Throttled(1024, 200));  // the first job holds the name for long
  server.AddFile("/slow.bin", PatternBytes(60000));
  TTempDir dir;
  TEngineRun holder(server.Url("/slow.bin"), dir.Path()), waiter(server.Url("/slow.bin"), dir.Path());
  holder.Job->StartDownload();
  ASSERT_TRUE(server.WaitForRequests(1, 10000));  // the holder's probe: it has the name
  waiter.Job->StartDownload();
  ASSERT_TRUE(waiter.StopAndWait(5000));
  EXPECT_EQ(waiter.UntimedLog(),
            (std::vector<std::string>{LogText("另一任务正在接收同名的资源，等待其完成... ..."),
                                      LogText("资源接收未完成，任务中止.")}));
  ASSERT_TRUE(holder.StopAndWait());
  EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"slow.bin.rpc", "slow.bin.rpc.cfg"}));
}

TEST(LocalName, DocumentThatCannotNameALocalFileIsRefusedAtOnce) {
  struct {
    const char* Document;
    bool OnLinux, OnWindows;
  } cases[] = {
      {".", true, true},
      {"..", true, true},
      {"x.rpc", true, true},
      {"x.ZIP.RPC.CFG", true, true},
      {"x.rpc.cfg.tmp", true, true},
      {"NUL.zip", false, true},
      {"com1", false, true},
      {"setup.", false, true},
  };
  TTestServer server;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Document);
    TTempDir dir;
    const std::size_t requestsBefore = server.Requests().size();
    TEngineRun run(server.Url(std::string("/d/") + c.Document), dir.Path());
    ASSERT_TRUE(run.RunToEnd());
    if (!(kWindowsHost ? c.OnWindows : c.OnLinux)) continue;  // a name the host takes: its probe fails
    EXPECT_EQ(run.UntimedLog(), std::vector<std::string>{LogText("资源文件名 \"") + c.Document +
                                                         LogText("\" 不能作为本地文件名，退出.")});
    EXPECT_EQ(run.Job->RunErrorClass(), "EFileNameError");
    EXPECT_EQ(server.Requests().size(), requestsBefore);
    EXPECT_TRUE(Entries(dir.Path()).empty());
  }
}

}  // namespace
}  // namespace bailan

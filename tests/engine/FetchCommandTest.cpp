// bailan-cli fetch as a user runs it: a whole resource, Ctrl-C and resume, a
// run that cannot progress, and the failures it reports.
#include <gtest/gtest.h>
#include <signal.h>

#include "platform/Thread.h"
#include "support/EngineRun.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "support/ZipBuilder.h"

namespace bailan {
namespace {

using test::PatternBytes;
using test::ReadFileBytes;
using test::RunCli;
using test::TConnectionScript;
using test::TSubprocess;
using test::TTempDir;
using test::TTestServer;
using test::WriteFileBytes;

TEST(FetchCommand, ReceivesAndUnpacksAnArchive) {
  TTempDir target;
  TTestServer server;
  server.AddFile("/install/app.zip", test::TZipBuilder().AddFile("BL.exe", PatternBytes(70000), 8).Build());
  std::string out, err;
  ASSERT_EQ(RunCli({"fetch", server.Url("/install/app.zip"), target / "产品"}, &out, &err), 0) << err;
  EXPECT_EQ(ReadFileBytes(target / "产品/BL.exe"), PatternBytes(70000));
  EXPECT_NE(out.find("重新取得资源原始大小："), std::string::npos) << out;  // log lines as UTF-8
  EXPECT_NE(out.find("资源接收完成."), std::string::npos) << out;
  EXPECT_NE(err.find("progress "), std::string::npos) << err;  // not a terminal: plain lines
}

TEST(FetchCommand, NoExtractKeepsTheFileAndSegmentsAreHonoured) {
  TTempDir target;
  TTestServer server;
  server.AddFile("/f.bin", PatternBytes(10000));
  std::string out, err;
  ASSERT_EQ(
      RunCli({"fetch", "--segments", "5", "--no-extract", server.Url("/f.bin"), target.Path()}, &out, &err),
      0)
      << err;
  EXPECT_EQ(ReadFileBytes(target / "f.bin"), PatternBytes(10000));
  EXPECT_NE(out.find("线程5完成退出."), std::string::npos) << out;
}

TEST(FetchCommand, InterruptSavesTheResumeStateAndTheNextRunFinishes) {
  TTempDir target;
  TTestServer server;
  const std::string body = PatternBytes(400000);
  server.AddFile("/slow.bin", body);
  server.SetFileOptions(test::Throttled(4096, 60));
  TSubprocess first({BAILAN_CLI_PATH, "fetch", "--no-extract", server.Url("/slow.bin"), target.Path()});
  ASSERT_TRUE(server.WaitForRequests(4, 10000));  // HEAD and three ranges
  SleepMs(300);
  first.Signal(SIGINT);
  EXPECT_EQ(first.Wait(20000), 1) << first.Stderr();
  EXPECT_NE(first.Stdout().find("资源接收未完成，任务中止."), std::string::npos) << first.Stdout();
  EXPECT_EQ(ReadFileBytes(target / "slow.bin.rpc.cfg").size(), 44u);

  server.SetFileOptions(test::TFileServingOptions{});
  std::string out, err;
  ASSERT_EQ(RunCli({"fetch", "--no-extract", server.Url("/slow.bin"), target.Path()}, &out, &err), 0) << err;
  EXPECT_NE(out.find("取得资源原始大小：400000 字节。"), std::string::npos) << out;
  EXPECT_EQ(ReadFileBytes(target / "slow.bin"), body);
}

TEST(FetchCommand, RunThatCannotProgressStopsWithFailure) {
  TTempDir target;
  TTestServer server;
  // The size probe answers; every ranged GET is refused with 500.
  server.AddScript(TConnectionScript().Respond("HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n\r\n"));
  for (int i = 0; i < 3; ++i) {
    server.AddScript(TConnectionScript().Respond("HTTP/1.1 500 Oops\r\nContent-Length: 0\r\n\r\n"));
  }
  std::string out, err;
  EXPECT_EQ(RunCli({"fetch", server.Url("/x.bin"), target.Path()}, &out, &err, 20000), 1);
  EXPECT_NE(out.find("资源接收未完成，任务中止."), std::string::npos) << out;
  EXPECT_EQ(ReadFileBytes(target / "x.bin.rpc.cfg").size(), 44u);
}

TEST(FetchCommand, FailuresAndUsage) {
  TTempDir target;
  TTestServer server;
  std::string out, err;
  EXPECT_EQ(RunCli({"fetch", server.Url("/none.zip"), target.Path()}, &out, &err), 1);
  EXPECT_EQ(err.rfind("EHttpProtocolException: ", 0), 0u) << err;

  server.AddFile("/broken.zip", "PK but not really an archive");
  EXPECT_EQ(RunCli({"fetch", server.Url("/broken.zip"), target.Path()}, &out, &err), 1);
  EXPECT_NE(err.find(": "), std::string::npos) << err;
  EXPECT_EQ(ReadFileBytes(target / "broken.zip"), "PK but not really an archive");  // kept for a look

  EXPECT_EQ(RunCli({"fetch", server.Url("/a")}, &out, &err), 2);
  EXPECT_EQ(RunCli({"fetch", "--segments", "11", "u", "f"}, &out, &err), 2);
  EXPECT_EQ(RunCli({"fetch", "--bogus", "u", "f"}, &out, &err), 2);
  EXPECT_NE(err.find("usage"), std::string::npos);
}

}  // namespace
}  // namespace bailan

// bailan-cli head and get: output, files and exit codes, against the test server.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/TempDir.h"
#include "support/TestServer.h"

namespace bailan::test {
namespace {

struct TRun {
  int ExitCode = -1;
  std::string Output;  // stdout and stderr together
};

TRun RunCli(const std::string& arguments) {
  TRun run;
  std::string command = std::string(BAILAN_CLI_PATH) + " " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.Output.append(buffer, count);
  int status = ::pclose(pipe);
  run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class CliHttpCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.AddFile("/files/setup.zip", std::string(4321, 'z'));
    server.AddFile("/install/Tavro/Live.txt", "[bailan]\r\n");
    server.AddRedirect("/moved", "/install/Tavro/Live.txt");
  }
  TTestServer server;
  TTempDir dir;
};

TEST_F(CliHttpCommandTest, HeadPrintsTheSizeWithTheProbesAgent) {
  TRun run = RunCli("head " + server.Url("/files/setup.zip"));
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Output, "ContentLength=4321\n");
  EXPECT_NE(server.Request(0).find("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Maxthon)"),
            std::string::npos);
}

TEST_F(CliHttpCommandTest, GetFollowsRedirectsAndReplacesTheFile) {
  WriteFileBytes(dir / "update.ini", "old and longer content");
  TRun run = RunCli("get --read-timeout 2000 " + server.Url("/moved") + " " + (dir / "update.ini"));
  EXPECT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_EQ(ReadFileBytes(dir / "update.ini"), "[bailan]\r\n");
  EXPECT_NE(server.Request(1).find("User-Agent: Mozilla/3.0 (compatible; Bailan Library)"),
            std::string::npos);
}

TEST_F(CliHttpCommandTest, FailuresPrintClassAndMessage) {
  TRun run = RunCli("get " + server.Url("/none") + " " + (dir / "x"));
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Output, "EHttpProtocolException: HTTP/1.1 404 Not Found\n");
  server.AddScript(TConnectionScript().ReadRequest().Hang());
  run = RunCli("head --read-timeout 200 " + server.Url("/slow"));
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Output, "EReadTimeout: Read Timeout\n");
}

// A server that redirects a resource to itself forever gives no size and no
// file: both commands fail instead of reporting an empty success.
TEST_F(CliHttpCommandTest, ARedirectLoopFails) {
  server.AddRedirect("/loop", "/loop");
  TRun run = RunCli("head --read-timeout 2000 " + server.Url("/loop"));
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Output, "EHttpProtocolException: HTTP/1.1 302 Found\n");
  run = RunCli("get --read-timeout 2000 " + server.Url("/loop") + " " + (dir / "update.ini"));
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Output, "EHttpProtocolException: HTTP/1.1 302 Found\n");
}

TEST_F(CliHttpCommandTest, UsageErrors) {
  EXPECT_EQ(RunCli("head").ExitCode, 2);
  EXPECT_EQ(RunCli("head --read-timeout").ExitCode, 2);
  EXPECT_EQ(RunCli("head --read-timeout x http://a/").ExitCode, 2);
  EXPECT_EQ(RunCli("get http://a/").ExitCode, 2);
}

}  // namespace
}  // namespace bailan::test

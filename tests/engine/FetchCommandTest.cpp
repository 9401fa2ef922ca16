// bailan-cli fetch as a user runs it: a whole resource, Ctrl-C and resume, a
// run that cannot progress, and the failures it reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <vector>

#include "engine/ResumeFile.h"
#include "platform/FileSystem.h"
#include "platform/HostSystem.h"
#include "platform/Sha256.h"

#include "platform/Thread.h"
#include "platform/Tick.h"
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
  // Not a terminal: plain progress lines, no bar redrawn in place.
  EXPECT_NE(err.find("progress "), std::string::npos) << err;
  EXPECT_EQ(err.find_first_of("\r\x1b"), std::string::npos) << err;
  EXPECT_EQ(out.find_first_of("\r\x1b"), std::string::npos) << out;
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
  // Ctrl-C, then closing the terminal: each stops the run, which saves its
  // state. Windows has no hang-up, and Wine delivers no Ctrl-Break to a child.
  std::size_t requests = 4;  // HEAD and three ranges, then three ranges
  const std::vector<int> signals =
      kWindowsHost ? std::vector<int>{test::kSigInt} : std::vector<int>{test::kSigInt, test::kSigHup};
  for (const int signal : signals) {
    SCOPED_TRACE(signal);
    TSubprocess run({BAILAN_CLI_PATH, "fetch", "--no-extract", server.Url("/slow.bin"), target.Path()});
    ASSERT_TRUE(server.WaitForRequests(requests, 10000));
    requests += 3;
    SleepMs(300);
    run.Signal(signal);
    EXPECT_EQ(run.Wait(20000), 1) << run.Stderr();
    EXPECT_NE(run.Stdout().find("资源接收未完成，任务中止."), std::string::npos) << run.Stdout();
    EXPECT_NE(run.Stderr().find("Stopped: "), std::string::npos) << run.Stderr();
    EXPECT_EQ(ReadFileBytes(target / "slow.bin.rpc.cfg").size(), 44u);
  }

  server.SetFileOptions(test::TFileServingOptions{});
  std::string out, err;
  ASSERT_EQ(RunCli({"fetch", "--no-extract", server.Url("/slow.bin"), target.Path()}, &out, &err), 0) << err;
  EXPECT_NE(out.find("取得资源原始大小：400000 字节。"), std::string::npos) << out;
  EXPECT_EQ(ReadFileBytes(target / "slow.bin"), body);
}

TEST(FetchCommand, RunWhoseSlotsAreAllGivenUpEndsWithItsReason) {
  TTempDir target;
  TTestServer server;
  // The size probe answers; every ranged GET is answered with a shifted range.
  server.AddScript(TConnectionScript().Respond("HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n\r\n"));
  for (int i = 0; i < 3; ++i) {
    server.AddScript(
        TConnectionScript().Respond("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes "
                                    "1-10/3000\r\nContent-Length: 10\r\n\r\n0123456789"));
  }
  std::string out, err;
  EXPECT_EQ(RunCli({"fetch", server.Url("/x.bin"), target.Path()}, &out, &err, 20000), 1);
  EXPECT_NE(out.find("资源接收未完成，任务中止."), std::string::npos) << out;
  EXPECT_NE(err.find("ERangeError: Segment "), std::string::npos) << err;
  EXPECT_EQ(ReadFileBytes(target / "x.bin.rpc.cfg").size(), 44u);
}

// The knobs a user of curl or aria2c expects: how many tries without data a
// range gets, and the first pause after one. A range whose connects are all
// refused is given up after the tries given, without the default pauses.
TEST(FetchCommand, RetriesAndRetryWaitBoundHowLongARangeIsTried) {
  TTempDir target;
  TTestServer server;
  server.AddScript(TConnectionScript().Respond("HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n\r\n"));
  for (int i = 0; i < 6; ++i) server.AddScript(TConnectionScript().ReadRequest().Close());
  std::string out, err;
  const std::uint32_t started = GetTickCount32();
  EXPECT_EQ(RunCli({"fetch", "--segments", "1", "--retries", "2", "--retry-wait", "0", server.Url("/x.bin"),
                    target.Path()},
                   &out, &err, 20000),
            1);
  EXPECT_LT(TickDiff(GetTickCount32(), started), 5000u) << "waited as if the default pauses applied";
  EXPECT_NE(out.find("线程1：连续2次没有收到数据，放弃."), std::string::npos) << out;
  EXPECT_EQ(out.find("第2次重试"), std::string::npos) << out;
}

TEST(FetchCommand, ResourceOfTwoGibibytesIsRefusedAtTheProbe) {
  TTempDir target;
  TTestServer server;
  server.AddScript(TConnectionScript().Respond("HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\n\r\n"));
  std::string out, err;
  EXPECT_EQ(RunCli({"fetch", server.Url("/huge.iso"), target.Path()}, &out, &err), 1);
  EXPECT_NE(out.find("资源大小为 2147483648 字节，超过 2 GB，无法接收，退出."), std::string::npos) << out;
  EXPECT_NE(err.find("ESizeError: "), std::string::npos) << err;
  EXPECT_FALSE(FileExists(target / "huge.iso.rpc"));
  EXPECT_FALSE(FileExists(target / "huge.iso.rpc.cfg"));
}

TEST(FetchCommand, KilledRunsResumeFromAWholeResumeFile) {
  // A throttled resource of over thirty seconds; each run is killed at a random
  // moment, and what it left must be a resume file that is whole and counts
  // only bytes that are in the partial file.
  TTempDir target;
  TTestServer server;
  const std::string body = PatternBytes(10000000);
  server.AddFile("/crash.bin", body);
  server.SetFileOptions(test::Throttled(4096, 40));
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> moment(200, 3000);
  for (int kill = 0; kill < 10; ++kill) {
    TSubprocess run({BAILAN_CLI_PATH, "fetch", "--no-extract", server.Url("/crash.bin"), target.Path()});
    SleepMs(moment(random));
    run.Signal(test::kSigKill);
    ASSERT_EQ(run.Wait(5000), 128 + test::kSigKill) << run.Stderr();
    ASSERT_FALSE(FileExists(target / "crash.bin")) << "the resource was complete before the kill";
    if (!FileExists(target / "crash.bin.rpc.cfg")) continue;  // killed before the first save
    TSegmentTable table;
    const TResumeLoadResult loaded = LoadResumeFile(target / "crash.bin.rpc.cfg", table);
    ASSERT_EQ(loaded.Status, TResumeLoadStatus::Loaded) << loaded.Reason;
    const std::string partial = ReadFileBytes(target / "crash.bin.rpc");
    ASSERT_EQ(partial.size(), body.size());
    for (std::int32_t k = 1; k <= loaded.Header.Count; ++k) {
      const auto start = static_cast<std::size_t>(table.Segments[k].Start.load());
      const auto received = static_cast<std::size_t>(table.Segments[k].Received.load());
      ASSERT_EQ(partial.compare(start, received, body, start, received), 0) << "segment " << k;
    }
  }
  server.SetFileOptions(test::TFileServingOptions{});
  std::string out, err;
  ASSERT_EQ(RunCli({"fetch", "--no-extract", server.Url("/crash.bin"), target.Path()}, &out, &err), 0) << err;
  EXPECT_TRUE(ReadFileBytes(target / "crash.bin") == body);
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

  // A size probe that is never answered fails after the read time-out given.
  server.AddScript(TConnectionScript().ReadRequest().Hang());
  EXPECT_EQ(
      RunCli({"fetch", "--read-timeout", "300", server.Url("/mute.zip"), target.Path()}, &out, &err, 10000),
      1);
  EXPECT_EQ(err.rfind("EReadTimeout: ", 0), 0u) << err;

  // A size probe without a length leaves nothing to fetch: stopped, with its reason.
  server.AddScript(TConnectionScript().Respond("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"));
  EXPECT_EQ(RunCli({"fetch", server.Url("/nolength.zip"), target.Path()}, &out, &err, 10000), 1);
  EXPECT_NE(err.find("\nESizeError: The server gives no size"), std::string::npos) << err;

  EXPECT_EQ(RunCli({"fetch", server.Url("/a")}, &out, &err), 2);
  EXPECT_EQ(RunCli({"fetch", "--read-timeout", "soon", "u", "f"}, &out, &err), 2);
  EXPECT_EQ(RunCli({"fetch", "--segments", "11", "u", "f"}, &out, &err), 2);
  for (const char* bad : {"0", "-1", "x"})
    EXPECT_EQ(RunCli({"fetch", "--retries", bad, "u", "f"}, &out, &err), 2);
  for (const char* bad : {"-1", "3601", "1.5"})
    EXPECT_EQ(RunCli({"fetch", "--retry-wait", bad, "u", "f"}, &out, &err), 2);
  EXPECT_EQ(RunCli({"fetch", "--bogus", "u", "f"}, &out, &err), 2);
  EXPECT_NE(err.find("usage"), std::string::npos);
}

TEST(FetchCommand, Sha256ChecksTheArchiveBeforeItIsUnpacked) {
  const std::string archive = test::TZipBuilder().AddFile("BL.exe", PatternBytes(20000), 8).Build();
  const std::string digest = DigestToHex(TSha256::Of(archive));
  std::string upper = digest;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string wrong = digest;
  wrong[0] = wrong[0] == '0' ? '1' : '0';
  const struct {
    std::string Digest;
    int Exit;
    const char* Stderr;  // how the report begins; "" for none
  } cases[] = {
      {digest, 0, ""},
      {upper, 0, ""},
      {wrong, 1, "EDigestMismatch: "},
      {digest.substr(1), 2, "usage"},
      {digest + "0", 2, "usage"},
      {"g" + digest.substr(1), 2, "usage"},
      {"", 2, "usage"},
  };
  TTestServer server;
  server.AddFile("/app.zip", archive);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Digest);
    TTempDir target;
    std::string out, err;
    EXPECT_EQ(RunCli({"fetch", "--sha256", c.Digest, server.Url("/app.zip"), target.Path()}, &out, &err),
              c.Exit);
    EXPECT_NE(err.find(c.Stderr), std::string::npos) << err;
    EXPECT_EQ(FileExists(target / "BL.exe"), c.Exit == 0);
    EXPECT_FALSE(FileExists(target / "app.zip"));
    if (c.Exit == 1) {
      EXPECT_NE(out.find(digest), std::string::npos) << out;  // the log line names the expected digest
    }
  }
}

TEST(FetchCommand, OffATerminalAProgressLineComesEveryThreeSecondsNotMoreOften) {
  // One slow segment of about eight seconds, stderr a pipe.
  TTempDir target;
  TTestServer server;
  server.AddFile("/plain.bin", PatternBytes(160000));
  server.SetFileOptions(test::Throttled(2048, 100));
  std::string out, err;
  const std::uint32_t started = GetTickCount32();
  ASSERT_EQ(RunCli({"fetch", "--segments", "1", "--no-extract", server.Url("/plain.bin"), target.Path()},
                   &out, &err, 60000),
            0)
      << err;
  const std::uint32_t seconds = TickDiff(GetTickCount32(), started) / 1000;
  std::size_t lines = 0;
  for (std::size_t at = err.find("progress "); at != std::string::npos; at = err.find("progress ", at + 1))
    ++lines;
  // The first figures, one line per 3 s of the run, and the final figures.
  EXPECT_LE(lines, seconds / 3 + 2) << seconds << " s:\n" << err;
  EXPECT_GE(lines, 3u) << seconds << " s:\n" << err;
  EXPECT_NE(err.find("progress 100.0% 160000/160000 bytes"), std::string::npos) << err;
}

// What a terminal shows of `bytes`: carriage returns go back to the line's
// start, ESC [ K erases to its end, line feeds end a line. One byte is one cell.
std::vector<std::string> ScreenLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t column = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes.compare(i, 3, "\x1b[K") == 0) {
      line.resize(std::min(line.size(), column));
      i += 2;
    } else if (bytes[i] == '\r') {
      column = 0;
    } else if (bytes[i] == '\n') {
      lines.push_back(line);
      line.clear();
      column = 0;
    } else {
      if (column < line.size()) {
        line[column] = bytes[i];
      } else {
        line += bytes[i];
      }
      ++column;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

TEST(FetchCommand, TerminalShowsLogLinesAboveABarThatFitsIt) {
  if (kWindowsHost) GTEST_SKIP() << "needs script(1) and stty, Linux programs, for a terminal";
  TTempDir target;
  TTestServer server;
  server.AddFile("/tty.bin", PatternBytes(600000));
  server.SetFileOptions(test::Throttled(4096, 20));  // about a second: the bar is drawn between lines
  constexpr int kColumns = 70;
  const std::string command = "stty cols " + std::to_string(kColumns) + "; exec '" + BAILAN_CLI_PATH +
                              "' fetch --no-extract " + server.Url("/tty.bin") + " '" + target.Path() + "'";
  TSubprocess run({"script", "-qec", command, "/dev/null"});
  ASSERT_EQ(run.Wait(30000), 0) << run.Stderr();
  const std::vector<std::string> screen = ScreenLines(run.Stdout());
  std::size_t bars = 0, logLines = 0;
  for (const std::string& line : screen) {
    const bool bar = line.find("KB/s") != std::string::npos;
    const bool log = line.find("线程") != std::string::npos || line.find("资源") != std::string::npos ||
                     line.find("接收") != std::string::npos;
    EXPECT_FALSE(bar && log) << "a log line shares the bar's line: " << line;
    if (bar) {
      ++bars;
      EXPECT_LT(line.size(), static_cast<std::size_t>(kColumns)) << line;
      EXPECT_EQ(line[0], '[') << line;
    }
    if (log) ++logLines;
  }
  EXPECT_GE(logLines, 9u) << run.Stdout();
  ASSERT_FALSE(screen.empty());
  EXPECT_EQ(bars, 1u) << "only the last bar stays: " << run.Stdout();
  EXPECT_NE(screen.back().find("100.0%"), std::string::npos) << screen.back();
  EXPECT_EQ(run.Stdout().back(), '\n');  // the last bar ends with a line break
}

}  // namespace
}  // namespace bailan

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "ByteRange.h"
#include "DemoProduct.h"
#include "DemoSite.h"
#include "StaticHttpServer.h"
#include "platform/Cp936.h"
#include "support/Host.h"
#include "support/TempDir.h"

namespace bailan::demo {
namespace {

using TKind = TByteRange::TKind;

TEST(ByteRangeTest, ResolvesOneRangeAndIgnoresWhatItDoesNotServe) {
  struct TCase {
    const char* Header;
    std::uint64_t Size;
    TKind Kind;
    std::uint64_t First, Last;
  } cases[] = {
      {"", 100, TKind::Whole, 0, 0},
      {"bytes=0-9", 100, TKind::Part, 0, 9},
      {"bytes=90-", 100, TKind::Part, 90, 99},
      {"bytes=90-500", 100, TKind::Part, 90, 99},  // end cut to the file
      {"bytes=-10", 100, TKind::Part, 90, 99},
      {"bytes=-500", 100, TKind::Part, 0, 99},
      {"bytes=100-", 100, TKind::Unsatisfiable, 0, 0},
      {"bytes=-0", 100, TKind::Unsatisfiable, 0, 0},
      {"bytes=0-", 0, TKind::Unsatisfiable, 0, 0},
      {"bytes=5-4", 100, TKind::Whole, 0, 0},
      {"bytes=0-1,5-6", 100, TKind::Whole, 0, 0},
      {"bytes= 1-2", 100, TKind::Whole, 0, 0},
      {"bytes=+1-2", 100, TKind::Whole, 0, 0},
      {"bytes=99999999999999999999-", 100, TKind::Whole, 0, 0},
      {"items=0-9", 100, TKind::Whole, 0, 0},
  };
  for (const TCase& c : cases) {
    const TByteRange range = ResolveByteRange(c.Header, c.Size);
    EXPECT_EQ(range.Kind, c.Kind) << c.Header;
    if (c.Kind == TKind::Part) {
      EXPECT_EQ(range.First, c.First) << c.Header;
      EXPECT_EQ(range.Last, c.Last) << c.Header;
    }
  }
}

// A connection to the server that has sent nothing yet.
TSocket Connect(std::uint16_t port) {
  int error = 0;
  TSocket socket = TSocket::CreateTcp(error);
  if (socket.StartConnect(TIPv4Address{{127, 0, 0, 1}}, port, error) == TSocketWait::TimedOut)
    socket.WaitConnected(5000, error);
  EXPECT_EQ(error, 0);
  return socket;
}

// A connection to the server that has sent `requests`.
TSocket Send(std::uint16_t port, const std::string& requests) {
  TSocket socket = Connect(port);
  int error = 0;
  EXPECT_EQ(socket.Send(requests.data(), requests.size(), error),
            static_cast<std::ptrdiff_t>(requests.size()));
  return socket;
}

// Everything received on `socket` until the server closes it.
std::string ReceiveAll(TSocket& socket) {
  int error = 0;
  std::string received;
  char block[65536];
  while (socket.WaitReadable(10000, error) == TSocketWait::Ready) {
    const std::ptrdiff_t got = socket.Receive(block, sizeof block, false, error);
    if (got <= 0) break;
    received.append(block, static_cast<std::size_t>(got));
  }
  return received;
}

std::string Exchange(std::uint16_t port, const std::string& requests) {
  TSocket socket = Send(port, requests);
  return ReceiveAll(socket);
}

// The site lies in "site" of a fresh folder; "outside" beside it holds what
// must never be served.
class DemoServerTest : public ::testing::Test {
 protected:
  explicit DemoServerTest(TStaticServerOptions options = {}) : server_(folder_ / "site", std::move(options)) {
    WriteDemoSite(site(), "http://127.0.0.1:" + std::to_string(server_.Port()));
  }
  std::filesystem::path site() const { return test::FsPath(folder_ / "site"); }
  std::string Get(const std::string& requests) { return Exchange(server_.Port(), requests); }

  test::TTempDir folder_;
  TStaticHttpServer server_;
};

TEST_F(DemoServerTest, HeadAndRangedGetShareOneConnection) {
  const std::string archive = test::ReadFileBytes(folder_ / "site/install/Tavro/BLMain.zip");
  const std::string answer = Get(
      "HEAD /install/Tavro/BLMain.zip HTTP/1.1\r\nHost: x\r\n\r\n"
      "GET /install/Tavro/BLMain.zip HTTP/1.1\r\nHost: x\r\nRange: bytes=10-19\r\nConnection: close\r\n\r\n");
  const std::size_t second = answer.find("HTTP/1.1 206 Partial Content\r\n");
  ASSERT_NE(second, std::string::npos) << answer;
  const std::string head = answer.substr(0, second);
  EXPECT_EQ(head.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_NE(head.find("Content-Length: " + std::to_string(archive.size()) + "\r\n"), std::string::npos);
  EXPECT_EQ(head.find("Connection: close"), std::string::npos);
  EXPECT_EQ(head.substr(head.size() - 4), "\r\n\r\n");  // no body after the HEAD answer
  const std::string ranged = answer.substr(second);
  EXPECT_NE(ranged.find("Content-Range: bytes 10-19/" + std::to_string(archive.size())), std::string::npos);
  EXPECT_EQ(ranged.substr(ranged.find("\r\n\r\n") + 4), archive.substr(10, 10));
}

// Every letter of `text` that is "/" as "%2f", "\" for it, or as it stands.
std::string WithSlashes(std::string text, const char* slash) {
  std::string out;
  for (char c : text) out += c == '/' ? std::string(slash) : std::string(1, c);
  return out;
}

TEST_F(DemoServerTest, AnswersWhatItCannotServeWithoutLeavingTheFolder) {
  std::filesystem::create_directories(test::FsPath(folder_ / "outside"));
  test::WriteFileBytes(folder_ / "outside/secret", "secret");
  // The secret's real path as a URL path: "/tmp/x/outside/secret", or
  // "C:/users/x/outside/secret" on Windows.
  std::string secret = std::filesystem::canonical(test::FsPath(folder_ / "outside/secret")).generic_string();
  if (secret[0] == '/') secret.erase(0, 1);
  // Links inside the site: out of it (to a file, to a folder) and within it.
  bool links = true;
  try {
    std::filesystem::create_symlink(test::FsPath(folder_ / "outside/secret"), site() / "install/secret");
    std::filesystem::create_directory_symlink(test::FsPath(folder_ / "outside"), site() / "out");
    std::filesystem::create_symlink(site() / "xukexieyi.html", site() / "install/licence.html");
  } catch (const std::filesystem::filesystem_error&) {
    links = false;  // no symbolic links on this file system or for this user
  }
  struct TCase {
    std::string Target;
    const char* Status;
    bool NeedsLinks = false;
    std::string Header = "";
  } cases[] = {
      {"/../outside/secret", "404"},
      {"/%2e%2e/outside/secret", "404"},
      {"/install/..%2f..%2f../outside/secret", "404"},
      {"/install/..", "404"},
      {"/install/%2e%2e/%2e%2e/outside/secret", "404"},
      // Absolute and drive paths, written plainly, encoded and with back-slashes.
      {"/" + secret, "404"},
      {"/" + WithSlashes(secret, "%2f"), "404"},
      {"/%2F" + secret, "404"},
      {"/" + WithSlashes(secret, "\\"), "404"},
      {"/" + WithSlashes(secret, "%5c"), "404"},
      {"//etc/passwd", "404"},
      {"/%2fetc/passwd", "404"},
      {"/C:/Windows/win.ini", "404"},
      {"/C:%5cWindows%5cwin.ini", "404"},
      {"/c%3a/Windows/win.ini", "404"},
      {"/install\\..\\..\\outside\\secret", "404"},
      {"/xukexieyi.html%00.zip", "404"},
      {"/install//Tavro/Live.txt", "404"},
      {"/install", "404"},  // a folder
      {"/", "404"},
      {"/install/secret", "404", true},
      {"/out/secret", "404", true},
      {"/install/licence.html", "200", true},
      {"/install/./Tavro/Live.txt", "404"},
      {"/xukexieyi.html?x=1", "200"},
      {"/%78ukexieyi.html", "200"},
      {"/xukexieyi.html", "416", false, "Range: bytes=100000-\r\n"},
  };
  for (const TCase& c : cases) {
    if (c.NeedsLinks && !links) continue;
    const std::string answer =
        Get("GET " + c.Target + " HTTP/1.1\r\n" + c.Header + "Connection: close\r\n\r\n");
    EXPECT_EQ(answer.substr(0, 12), std::string("HTTP/1.1 ") + c.Status) << c.Target << "\n" << answer;
    const std::string body = answer.substr(std::min(answer.size(), answer.find("\r\n\r\n")));
    EXPECT_EQ(body.find("secret"), std::string::npos) << c.Target;
    EXPECT_EQ(body.find("root:"), std::string::npos) << c.Target;
  }
  EXPECT_EQ(Get("POST /xukexieyi.html HTTP/1.1\r\n\r\n").substr(0, 12), "HTTP/1.1 501");
}

// Whether the server ended `socket` within `timeoutMs`: whatever it sent, then
// the close. `received` gets what came.
bool EndedWithin(TSocket& socket, int timeoutMs, std::string* received = nullptr) {
  int error = 0;
  char block[4096];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (socket.WaitReadable(50, error) != TSocketWait::Ready) {
      if (error != 0) return true;
      continue;
    }
    const std::ptrdiff_t got = socket.Receive(block, sizeof block, false, error);
    if (got <= 0) return true;
    if (received) received->append(block, static_cast<std::size_t>(got));
  }
  return false;
}

TEST_F(DemoServerTest, ConnectionsOverTheCapAreTurnedAwayWithoutAThreadUntilOneCloses) {
  std::vector<TSocket> held;
  for (std::size_t i = 0; i < kMaxConnections; ++i) held.push_back(Connect(server_.Port()));
  // Each held connection is served: a request on the last one is answered.
  TSocket& last = held.back();
  const std::string request = "GET /xukexieyi.html HTTP/1.1\r\nHost: x\r\n\r\n";
  int error = 0;
  ASSERT_EQ(last.Send(request.data(), request.size(), error), static_cast<std::ptrdiff_t>(request.size()));
  ASSERT_EQ(last.WaitReadable(10000, error), TSocketWait::Ready);

  // One more is answered 503 and closed at once, not held until its idle limit.
  TSocket over = Connect(server_.Port());
  std::string refused;
  EXPECT_TRUE(EndedWithin(over, 10000, &refused));
  EXPECT_EQ(refused.rfind("HTTP/1.1 503 ", 0), 0u) << refused;

  // Once one held connection is gone, a new one is served again.
  held.front().Close();
  std::string answer;
  for (int i = 0; i < 100 && answer.rfind("HTTP/1.1 200 ", 0) != 0; ++i) {
    answer = Get("GET /xukexieyi.html HTTP/1.1\r\nConnection: close\r\n\r\n");
    if (answer.rfind("HTTP/1.1 200 ", 0) != 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(answer.rfind("HTTP/1.1 200 ", 0), 0u) << answer;
}

class DemoServerHeadTimeTest : public DemoServerTest {
 protected:
  static constexpr int kLimitMs = 1000;
  DemoServerHeadTimeTest() : DemoServerTest(Options()) {}
  static TStaticServerOptions Options() {
    TStaticServerOptions options;
    options.HeadTimeLimitMs = kLimitMs;
    return options;
  }
};

TEST_F(DemoServerHeadTimeTest, AHeadTrickledByteByByteIsCutOffAtTheBoundThoughNeverIdle) {
  // One byte every 200 ms, far inside the idle limit: the whole head would take
  // 12 s, and the server ends it once it has taken longer than its bound.
  const std::string request = "GET /xukexieyi.html HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: slow\r\n\r\n";
  TSocket socket = Connect(server_.Port());
  const auto started = std::chrono::steady_clock::now();
  std::string received;
  std::size_t sent = 0;
  int error = 0;
  for (; sent < request.size(); ++sent) {
    if (EndedWithin(socket, 200, &received)) break;
    if (socket.Send(&request[sent], 1, error) != 1) break;
  }
  EXPECT_LT(sent, request.size()) << "the whole head was taken";
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(kLimitMs));
  EXPECT_EQ(received.rfind("HTTP/1.1 408 ", 0), 0u) << received;

  // A head sent at once after an idle pause longer than that bound is served.
  TSocket patient = Connect(server_.Port());
  std::this_thread::sleep_for(std::chrono::milliseconds(kLimitMs + 300));
  ASSERT_EQ(patient.Send(request.data(), request.size(), error), static_cast<std::ptrdiff_t>(request.size()));
  ASSERT_EQ(patient.WaitReadable(10000, error), TSocketWait::Ready);
  char block[16];
  ASSERT_EQ(patient.Receive(block, sizeof block, false, error), 16);
  EXPECT_EQ(std::string(block, 12), "HTTP/1.1 200");
}

TEST_F(DemoServerTest, StopEndsATransferThatThePeerDoesNotRead) {
  if (test::RunningUnderWine()) {
    GTEST_SKIP() << "Wine does not end a send blocked on a full connection when another thread shuts it down";
  }
  TSocket socket = Send(server_.Port(), "GET /install/Tavro/BLData.zip HTTP/1.1\r\nHost: x\r\n\r\n");
  int error = 0;
  ASSERT_EQ(socket.WaitReadable(10000, error), TSocketWait::Ready);
  server_.Stop();  // the connection's thread is blocked in a send that cannot finish
  EXPECT_LT(ReceiveAll(socket).size(), kBigFileBytes);
}

TEST_F(DemoServerTest, ManifestListsEveryArchiveInCodePage936) {
  const std::string manifest = test::ReadFileBytes(folder_ / "site/install/Tavro/Live.txt");
  EXPECT_NE(manifest.find(Utf8ToCp936("柏岚销售记账打印软件")), std::string::npos);
  const std::string base = "http://127.0.0.1:" + std::to_string(server_.Port()) + "/install/Tavro/";
  EXPECT_NE(manifest.find("[bailan]\r\nurl=" + base + "BLMain.zip\r\n"), std::string::npos);
  EXPECT_NE(manifest.find("[file1]\r\nurl=" + base + "BLData.zip\r\n"), std::string::npos);
  EXPECT_NE(manifest.find("[file2]\r\nurl=" + base + "BLHelp.zip\r\n"), std::string::npos);
  EXPECT_NE(test::ReadFileBytes(folder_ / "site/install/VADav/index.html").find("<!--end-->"),
            std::string::npos);
}

}  // namespace
}  // namespace bailan::demo

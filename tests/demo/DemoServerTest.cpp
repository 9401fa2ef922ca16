#include <gtest/gtest.h>

#include <filesystem>

#include "ByteRange.h"
#include "DemoProduct.h"
#include "DemoSite.h"
#include "StaticHttpServer.h"
#include "platform/Cp936.h"
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

// A connection to the server that has sent `requests`.
TSocket Send(std::uint16_t port, const std::string& requests) {
  int error = 0;
  TSocket socket = TSocket::CreateTcp(error);
  if (socket.StartConnect(TIPv4Address{{127, 0, 0, 1}}, port, error) == TSocketWait::TimedOut)
    socket.WaitConnected(5000, error);
  EXPECT_EQ(error, 0);
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

class DemoServerTest : public ::testing::Test {
 protected:
  DemoServerTest() : server_(folder_.Path(), {}) {
    WriteDemoSite(folder_.Path(), "http://127.0.0.1:" + std::to_string(server_.Port()));
  }
  std::string Get(const std::string& requests) { return Exchange(server_.Port(), requests); }

  test::TTempDir folder_;
  TStaticHttpServer server_;
};

TEST_F(DemoServerTest, HeadAndRangedGetShareOneConnection) {
  const std::string archive = test::ReadFileBytes(folder_ / "install/Tavro/BLMain.zip");
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

TEST_F(DemoServerTest, AnswersWhatItCannotServeWithoutLeavingTheFolder) {
  std::filesystem::create_directories(folder_ / "../outside");
  test::WriteFileBytes(folder_ / "../outside/secret", "secret");
  struct TCase {
    const char* Request;
    const char* Status;
  } cases[] = {
      {"GET /../outside/secret HTTP/1.1", "404"},
      {"GET /%2e%2e/outside/secret HTTP/1.1", "404"},
      {"GET /install/..%2f..%2f../outside/secret HTTP/1.1", "404"},
      {"GET /install HTTP/1.1", "404"},  // a folder
      {"GET /xukexieyi.html?x=1 HTTP/1.1", "200"},
      {"GET /xukexieyi.html HTTP/1.1\r\nRange: bytes=100000-", "416"},
      {"POST /xukexieyi.html HTTP/1.1", "501"},
  };
  for (const TCase& c : cases) {
    const std::string answer = Get(std::string(c.Request) + "\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(answer.substr(9, 3), c.Status) << c.Request;
    EXPECT_EQ(answer.find("secret", answer.find("\r\n\r\n")), std::string::npos) << c.Request;
  }
  std::filesystem::remove_all(folder_ / "../outside");
}

TEST_F(DemoServerTest, StopEndsATransferThatThePeerDoesNotRead) {
  TSocket socket = Send(server_.Port(), "GET /install/Tavro/BLData.zip HTTP/1.1\r\nHost: x\r\n\r\n");
  int error = 0;
  ASSERT_EQ(socket.WaitReadable(10000, error), TSocketWait::Ready);
  server_.Stop();  // the connection's thread is blocked in a send that cannot finish
  EXPECT_LT(ReceiveAll(socket).size(), kBigFileBytes);
}

TEST_F(DemoServerTest, ManifestListsEveryArchiveInCodePage936) {
  const std::string manifest = test::ReadFileBytes(folder_ / "install/Tavro/Live.txt");
  EXPECT_NE(manifest.find(Utf8ToCp936("柏岚销售记账打印软件")), std::string::npos);
  const std::string base = "http://127.0.0.1:" + std::to_string(server_.Port()) + "/install/Tavro/";
  EXPECT_NE(manifest.find("[bailan]\r\nurl=" + base + "BLMain.zip\r\n"), std::string::npos);
  EXPECT_NE(manifest.find("[file1]\r\nurl=" + base + "BLData.zip\r\n"), std::string::npos);
  EXPECT_NE(manifest.find("[file2]\r\nurl=" + base + "BLHelp.zip\r\n"), std::string::npos);
  EXPECT_NE(test::ReadFileBytes(folder_ / "install/VADav/index.html").find("<!--end-->"), std::string::npos);
}

}  // namespace
}  // namespace bailan::demo

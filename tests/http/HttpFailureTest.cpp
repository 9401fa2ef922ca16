// Failures of an operation: statuses outside 2xx, closes, time-outs, refused
// connects; and the connection's reuse between operations.
#include <chrono>
#include <string>
#include <thread>

#include "HttpTestSupport.h"
#include "platform/MemoryStream.h"
#include "platform/Tick.h"
#include "transport/http/NetExceptions.h"

namespace bailan::test {
namespace {

class HttpFailureTest : public ::testing::Test {
 protected:
  void SetUp() override { ConfigureLikeTheCallers(client); }
  TTestServer server;
  THttpClient client;
};

TEST_F(HttpFailureTest, NotFoundCarriesStatusLineCodeAndBody) {
  server.AddScript(
      TConnectionScript().Respond("HTTP/1.1 404 Not Found\r\nContent-Length: 11\r\n\r\nno manifest"));
  TMemoryStream target;
  try {
    client.GetToStream(server.Url("/install/Tavro/Live.txt"), target);
    ADD_FAILURE() << "no failure";
  } catch (const EHttpProtocolException& error) {
    EXPECT_EQ(error.Message(), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(error.ErrorCode(), 404);
    EXPECT_EQ(error.ErrorText(), "no manifest");
  }
  EXPECT_EQ(target.Size(), 0);
}

TEST_F(HttpFailureTest, AHeadAnsweredWithAnErrorFailsAtOnce) {
  server.AddScript(
      TConnectionScript().Respond("HTTP/1.1 404 Not Found\r\nContent-Length: 500\r\n\r\n").Hang());
  const std::uint32_t started = GetTickCount32();
  ExpectFailure<EHttpProtocolException>([&] { client.HeadRequest(server.Url("/x")); },
                                        "HTTP/1.1 404 Not Found");
  EXPECT_LT(TickDiff(GetTickCount32(), started), 300u);  // a HEAD answer has no body to wait for
}

TEST_F(HttpFailureTest, AnErrorBodyThatStallsFailsWithTheErrorBodyTimeOut) {
  server.AddScript(
      TConnectionScript().Respond("HTTP/1.1 500 Broken\r\nContent-Length: 100\r\n\r\nonly some").Hang());
  TMemoryStream target;
  const std::uint32_t started = GetTickCount32();
  ExpectFailure<EReadTimeout>([&] { client.GetToStream(server.Url("/x"), target); }, "Read Timeout");
  const std::uint32_t elapsed = TickDiff(GetTickCount32(), started);
  EXPECT_GE(elapsed, 390u);
  EXPECT_LT(elapsed, 2900u);  // the lowered time-out, not ReadTimeout
  EXPECT_EQ(client.ReadTimeout(), 3000);
}

TEST_F(HttpFailureTest, AnErrorBodyCutShortIsStillTheErrorText) {
  server.AddScript(TConnectionScript().Respond("HTTP/1.1 503 Busy\r\nContent-Length: 100\r\n\r\nbusy"));
  try {
    TMemoryStream target;
    client.GetToStream(server.Url("/x"), target);
    ADD_FAILURE() << "no failure";
  } catch (const EHttpProtocolException& error) {
    EXPECT_EQ(error.ErrorCode(), 503);
    EXPECT_EQ(error.ErrorText(), "busy");
  }
}

TEST_F(HttpFailureTest, ASuccessWhoseHeadWasCutByACloseIsUndefined) {
  server.AddScript(TConnectionScript().ReadRequest().Send("HTTP/1.1 200 OK\r\nContent-Len").Close());
  TMemoryStream target;
  ExpectFailure<ENetException>([&] { client.GetToStream(server.Url("/x"), target); }, "Undefined situation");
}

TEST_F(HttpFailureTest, ACloseBeforeTheStatusLineFails) {
  server.AddScript(TConnectionScript().ReadRequest().Close());
  ExpectFailure<EConnClosedGracefully>([&] { client.HeadRequest(server.Url("/x")); },
                                       "Connection Closed Gracefully.");
  EXPECT_FALSE(client.Connection().IsOpen());
}

TEST_F(HttpFailureTest, ASilentServerTimesOut) {
  server.AddScript(TConnectionScript().ReadRequest().Hang());
  client.SetReadTimeout(300);
  ExpectFailure<EReadTimeout>([&] { client.HeadRequest(server.Url("/x")); }, "Read Timeout");
}

TEST_F(HttpFailureTest, ARefusedConnectFails) {
  int error = 0;
  std::uint16_t freePort;
  {
    TSocket probe = TSocket::ListenLoopback(0, error);
    freePort = probe.LocalPort();
  }
  ExpectFailure<EConnectException>(
      [&] { client.HeadRequest("http://localhost:" + std::to_string(freePort) + "/x"); },
      "Socket Error # 10061\r\nConnection refused.");
}

TEST_F(HttpFailureTest, SlowTheDefaultThirtySecondReadTimeOut) {
  server.AddScript(TConnectionScript().ReadRequest().Hang());
  client.SetReadTimeout(30000);
  const std::uint32_t started = GetTickCount32();
  ExpectFailure<EReadTimeout>([&] { client.HeadRequest(server.Url("/x")); }, "Read Timeout");
  EXPECT_GE(TickDiff(GetTickCount32(), started), 29990u);
}

// ---- reuse of the connection between operations ----

TEST_F(HttpFailureTest, AKeptConnectionIsReusedAndAClosedOneReplaced) {
  server.AddScript(TConnectionScript().Respond(Ok("1")).Respond(Ok("2", "Connection: close\r\n")));
  server.AddScript(TConnectionScript().Respond(Ok("3")));
  TMemoryStream target;
  client.GetToStream(server.Url("/1"), target);
  client.GetToStream(server.Url("/2"), target);
  EXPECT_FALSE(client.Connection().IsOpen());
  client.GetToStream(server.Url("/3"), target);
  EXPECT_EQ(target.Bytes(), "123");
  EXPECT_EQ(server.ConnectionCount(), 2);
}

TEST_F(HttpFailureTest, AConnectionTheServerClosedWhileIdleIsNoticedAndReplaced) {
  server.AddScript(TConnectionScript().Respond(Ok("1")).Close());
  server.AddScript(TConnectionScript().Respond(Ok("2")));
  TMemoryStream target;
  client.GetToStream(server.Url("/1"), target);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  client.GetToStream(server.Url("/2"), target);
  EXPECT_EQ(target.Bytes(), "12");
  EXPECT_EQ(server.ConnectionCount(), 2);
}

// The server closes (or resets) its kept-alive end just as the next request
// arrives: that request was never answered and goes out once more on a fresh
// connection. A time-out is an answer of sorts and fails as before.
TEST_F(HttpFailureTest, ARequestALostKeptConnectionNeverAnsweredIsSentOnceMoreOnANewOne) {
  struct TCase {
    const char* Name;
    TConnectionScript FirstConnection;
    bool Repeated;
  } cases[] = {
      {"closed", TConnectionScript().Respond(Ok("1")).ReadRequest().Close(), true},
      {"reset", TConnectionScript().Respond(Ok("1")).ReadRequest().Reset(), true},
      {"silent", TConnectionScript().Respond(Ok("1")).ReadRequest().Hang(), false},
  };
  for (TCase& c : cases) {
    TTestServer peer;
    THttpClient fresh;
    ConfigureLikeTheCallers(fresh);
    fresh.SetReadTimeout(300);
    peer.AddScript(std::move(c.FirstConnection));
    peer.AddScript(TConnectionScript().Respond(Ok("2")));
    TMemoryStream target;
    fresh.GetToStream(peer.Url("/1"), target);
    if (c.Repeated) {
      fresh.GetToStream(peer.Url("/2"), target);
      EXPECT_EQ(target.Bytes(), "12") << c.Name;
      EXPECT_EQ(peer.ConnectionCount(), 2) << c.Name;
    } else {
      EXPECT_THROW(fresh.GetToStream(peer.Url("/2"), target), EReadTimeout) << c.Name;
      EXPECT_EQ(peer.ConnectionCount(), 1) << c.Name;
    }
  }
}

TEST_F(HttpFailureTest, AnotherHostOrPortMeansAnotherConnection) {
  TTestServer other;
  server.AddScript(TConnectionScript().Respond(Ok("a")).Hang());
  other.AddScript(TConnectionScript().Respond(Ok("b")));
  TMemoryStream target;
  client.GetToStream(server.Url("/a"), target);
  client.GetToStream(other.Url("/b"), target);
  EXPECT_EQ(target.Bytes(), "ab");
  EXPECT_EQ(client.Connection().Port(), other.Port());
}

}  // namespace
}  // namespace bailan::test

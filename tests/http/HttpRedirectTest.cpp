// Redirects: how many are followed, where they lead, what is kept of the
// request, what happens to a target stream and to the connection.
#include <string>

#include "HttpTestSupport.h"
#include "platform/MemoryStream.h"
#include "transport/http/NetExceptions.h"

namespace bailan::test {
namespace {

class HttpRedirectTest : public ::testing::Test {
 protected:
  void SetUp() override { ConfigureLikeTheCallers(client); }
  TTestServer server;
  THttpClient client;
};

// The fifteenth request of an operation is its last: fourteen redirects lead
// to an answer, a fifteenth is a failure with its status line.
TEST_F(HttpRedirectTest, FourteenAreFollowedAndAFifteenthFails) {
  TConnectionScript fourteen;
  for (int i = 1; i <= 14; ++i) fourteen.Respond(Redirect("/hop" + std::to_string(i)));
  server.AddScript(fourteen.Respond(Ok("end")));
  TMemoryStream target;
  client.GetToStream(server.Url("/start"), target);
  EXPECT_EQ(target.Bytes(), "end");
  EXPECT_EQ(RequestLine(server.Request(14)), "GET /hop14 HTTP/1.1");
  EXPECT_EQ(client.RedirectCount(), 0);
  EXPECT_EQ(server.ConnectionCount(), 1);  // keep-alive: one connection carries the chain

  TConnectionScript fifteen;
  for (int i = 1; i <= 15; ++i) fifteen.Respond(Redirect("/hop" + std::to_string(i)));
  server.AddScript(fifteen);
  TMemoryStream loop;
  try {
    client.GetToStream(server.Url("/start"), loop);
    ADD_FAILURE() << "a redirect as the last answer was taken as a success";
  } catch (const EHttpProtocolException& error) {
    EXPECT_EQ(error.Message(), "HTTP/1.1 302 Found");
    EXPECT_EQ(error.ErrorCode(), 302);
  }
  EXPECT_EQ(server.Requests().size(), 30u);
  EXPECT_EQ(loop.Size(), 0);
}

TEST_F(HttpRedirectTest, ARelativeLocationResolvesAgainstTheCurrentPathAndPort) {
  server.AddScript(TConnectionScript().Respond(Redirect("../b/c.zip")).Respond(Ok("zip")));
  TMemoryStream target;
  client.GetToStream(server.Url("/a/x/y.zip"), target);
  EXPECT_EQ(RequestLine(server.Request(1)), "GET /a/b/c.zip HTTP/1.1");
  EXPECT_NE(server.Request(1).find("Host: 127.0.0.1:" + std::to_string(server.Port())), std::string::npos);
  EXPECT_EQ(target.Bytes(), "zip");
}

TEST_F(HttpRedirectTest, AnAbsoluteLocationToAnotherServerUsesThatServersPort) {
  TTestServer other;
  other.AddScript(TConnectionScript().Respond(Ok("there")));
  server.AddScript(TConnectionScript().Respond(Redirect(other.Url("/file"))));
  TMemoryStream target;
  client.GetToStream(server.Url("/here"), target);
  EXPECT_EQ(target.Bytes(), "there");
  EXPECT_EQ(RequestLine(other.Request(0)), "GET /file HTTP/1.1");
}

TEST_F(HttpRedirectTest, ASuccessWithALocationIsFollowed) {
  server.AddScript(TConnectionScript()
                       .Respond("HTTP/1.1 200 OK\r\nLocation: /real\r\nContent-Length: 4\r\n\r\nfake")
                       .Respond(Ok("real")));
  TMemoryStream target;
  client.GetToStream(server.Url("/first"), target);
  EXPECT_EQ(target.Bytes(), "real");
}

TEST_F(HttpRedirectTest, TheMethodAndFieldsStayTheSame) {
  server.AddScript(TConnectionScript().Respond(Redirect("/next")).Respond(Ok("")));
  client.Request.UserAgent = kBrowserUserAgent;
  client.Request.ContentRangeStart = 5;
  client.HeadRequest(server.Url("/first"));
  const std::string second = server.Request(1);
  EXPECT_EQ(RequestLine(second), "HEAD /next HTTP/1.1");
  EXPECT_NE(second.find("Range: bytes=5-\r\n"), std::string::npos);
  EXPECT_NE(second.find(std::string("User-Agent: ") + kBrowserUserAgent), std::string::npos);
}

TEST_F(HttpRedirectTest, ATargetIsCutBackToItsStartWhenARedirectIsFollowed) {
  // A 200 with a Location is a redirect: its body is thrown away, and the target
  // keeps only what it had before the operation.
  server.AddScript(TConnectionScript()
                       .Respond("HTTP/1.1 301 Moved\r\nLocation: /b\r\nContent-Length: 5\r\n\r\nmoved")
                       .Respond(Ok("final")));
  TMemoryStream target;
  target.Write("pre:", 4);
  client.GetToStream(server.Url("/a"), target);
  EXPECT_EQ(target.Bytes(), "pre:final");
}

TEST_F(HttpRedirectTest, WithoutHandlingARedirectIsAFailure) {
  client.SetHandleRedirects(false);
  server.AddScript(TConnectionScript().Respond(Redirect("/elsewhere")));
  try {
    client.HeadRequest(server.Url("/a"));
    ADD_FAILURE() << "followed";
  } catch (const EHttpProtocolException& error) {
    EXPECT_EQ(error.Message(), "HTTP/1.1 302 Found");
    EXPECT_EQ(error.ErrorCode(), 302);
  }
}

TEST_F(HttpRedirectTest, ARedirectBodyThatNeverEndsCostsTheDrainTimeOut) {
  server.AddScript(TConnectionScript()
                       .ReadRequest()
                       .Send("HTTP/1.1 302 Found\r\nLocation: /b\r\nContent-Length: 10\r\n\r\nhalf!")
                       .Respond(Ok("b")));
  TMemoryStream target;
  const auto started = std::chrono::steady_clock::now();
  client.GetToStream(server.Url("/a"), target);
  // The drain's own 400 ms, not the read time-out of 3000 ms.
  const auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_GE(elapsed, std::chrono::milliseconds(390));
  EXPECT_LT(elapsed, std::chrono::milliseconds(1500)) << "the drain waited for the read time-out";
  EXPECT_EQ(target.Bytes(), "b");
  EXPECT_EQ(client.ReadTimeout(), 3000);  // restored
  EXPECT_EQ(client.Connection().ReadTimeout(), 3000);
}

TEST_F(HttpRedirectTest, AClosingRedirectOpensANewConnectionForTheNextHop) {
  server.AddScript(TConnectionScript().Respond(Redirect("/b", "Connection: close\r\n")));
  server.AddScript(TConnectionScript().Respond(Ok("b")));
  TMemoryStream target;
  client.GetToStream(server.Url("/a"), target);
  EXPECT_EQ(target.Bytes(), "b");
  EXPECT_EQ(server.ConnectionCount(), 2);
}

TEST_F(HttpRedirectTest, CookiesTravelBetweenTheHopsOfOneChain) {
  server.AddScript(TConnectionScript()
                       .Respond(Redirect("/b/next",
                                         "Set-Cookie: session=42; Path=/\r\n"
                                         "Set-Cookie: gone=1; Max-Age=0\r\n"
                                         "Set-Cookie: safe=1; Secure\r\n"))
                       .Respond(Ok("b")));
  TMemoryStream target;
  client.GetToStream(server.Url("/a"), target);
  EXPECT_EQ(server.Request(0).find("Cookie"), std::string::npos);
  EXPECT_NE(server.Request(1).find("\r\nCookie: session=42\r\n"), std::string::npos);
}

// A bare CR (or any control byte) in a target or a cookie must not reach the
// next request's head: the redirect fails, the cookie is dropped.
TEST_F(HttpRedirectTest, ControlCharactersNeverReachTheNextRequest) {
  for (const std::string control : {"\r", "\t", "\x01", "\x7f"}) {
    server.AddScript(TConnectionScript().Respond(Redirect("/second" + control + "Injected: yes")));
    ExpectFailure<EHttpProtocolException>(
        [&] {
          TMemoryStream target;
          client.GetToStream(server.Url("/a"), target);
        },
        "HTTP/1.1 302 Found");
  }
  EXPECT_EQ(server.Requests().size(), 4u);  // no second hop for any of them

  server.AddScript(TConnectionScript()
                       .Respond(Redirect("/b", "Set-Cookie: s=1\rInjected: yes\r\nSet-Cookie: t=2\r\n"))
                       .Respond(Ok("b")));
  TMemoryStream target;
  client.GetToStream(server.Url("/a"), target);
  EXPECT_NE(server.Requests().back().Raw.find("\r\nCookie: t=2\r\n"), std::string::npos);
}

TEST_F(HttpRedirectTest, ACookieForAnotherDomainDoesNotCrossHosts) {
  const std::string localhost = "http://localhost:" + std::to_string(server.Port());
  server.AddScript(TConnectionScript().Respond(Redirect(localhost + "/b", "Set-Cookie: s=1; Domain=l\r\n")));
  server.AddScript(TConnectionScript().Respond(Ok("b")));
  TMemoryStream target;
  client.GetToStream(server.Url("/a"), target);
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(server.Request(1).find("Cookie"), std::string::npos);
}

TEST_F(HttpRedirectTest, WithoutCookiesAllowedNoneAreStoredOrSent) {
  client.SetAllowCookies(false);
  server.AddScript(TConnectionScript().Respond(Redirect("/b", "Set-Cookie: s=1\r\n")).Respond(Ok("")));
  TMemoryStream target;
  client.GetToStream(server.Url("/a"), target);
  EXPECT_EQ(server.Request(1).find("Cookie"), std::string::npos);
  EXPECT_EQ(client.Cookies(), nullptr);
}

}  // namespace
}  // namespace bailan::test

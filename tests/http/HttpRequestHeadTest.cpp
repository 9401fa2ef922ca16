// What the client puts on the wire: the request line and the header lines, in
// order, for each of the installer's three callers, and URL preparation.
#include <string>

#include "HttpTestSupport.h"
#include "platform/MemoryStream.h"
#include "transport/http/NetExceptions.h"
#include "transport/http/RequestPath.h"

namespace bailan::test {
namespace {

class HttpRequestHeadTest : public ::testing::Test {
 protected:
  std::string HostValue() const { return "127.0.0.1:" + std::to_string(server.Port()); }

  TTestServer server;
  THttpClient client;
};

TEST_F(HttpRequestHeadTest, TheManifestFetchSendsExactlyTheseLines) {
  server.AddScript(TConnectionScript().Respond(Ok("[bailan]\r\n")));
  ConfigureLikeTheCallers(client);
  TMemoryStream target;
  client.GetToStream(server.Url("/install/Tavro/Live.txt"), target);
  EXPECT_EQ(server.Request(0),
            "GET /install/Tavro/Live.txt HTTP/1.1\r\n"
            "Content-Type: text/html\r\n"
            "Host: " +
                HostValue() +
                "\r\n"
                "Accept: text/html, */*\r\n"
                "User-Agent: Mozilla/3.0 (compatible; Bailan Library)\r\n"
                "\r\n");
  EXPECT_EQ(target.Bytes(), "[bailan]\r\n");
}

TEST_F(HttpRequestHeadTest, TheSizeProbeSendsHeadWithTheBrowserAgent) {
  server.AddScript(TConnectionScript().Respond("HTTP/1.1 200 OK\r\nContent-Length:1234\r\n\r\n"));
  ConfigureLikeTheCallers(client);
  client.Request.UserAgent = kBrowserUserAgent;
  client.HeadRequest(server.Url("/files/setup.zip"));
  EXPECT_EQ(server.Request(0),
            "HEAD /files/setup.zip HTTP/1.1\r\n"
            "Content-Type: text/html\r\n"
            "Host: " +
                HostValue() +
                "\r\n"
                "Accept: text/html, */*\r\n"
                "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Maxthon)\r\n"
                "\r\n");
  EXPECT_EQ(client.Response.ContentLength, 1234);  // no space after the colon
}

struct TRangeCase {
  std::uint32_t Start;
  std::uint32_t End;
  const char* Header;  // the expected Range line, empty for none
};

class HttpRangeTest : public HttpRequestHeadTest, public ::testing::WithParamInterface<TRangeCase> {};

TEST_P(HttpRangeTest, TheSegmentRequestCarriesItsRange) {
  server.AddScript(TConnectionScript().Respond("HTTP/1.1 206 Partial Content\r\nContent-Length: 0\r\n\r\n"));
  ConfigureLikeTheCallers(client);
  client.Request.UserAgent = kBrowserUserAgent;
  client.Request.ContentRangeStart = GetParam().Start;
  client.Request.ContentRangeEnd = GetParam().End;
  client.PerformRequest(THttpMethod::hmGet, server.Url("/f.zip"), nullptr, nullptr);
  std::string expected = "GET /f.zip HTTP/1.1\r\nContent-Type: text/html\r\nHost: " + HostValue() +
                         "\r\nAccept: text/html, */*\r\nUser-Agent: " + kBrowserUserAgent + "\r\n" +
                         GetParam().Header + "\r\n";
  EXPECT_EQ(server.Request(0), expected);
}

INSTANTIATE_TEST_SUITE_P(Ranges, HttpRangeTest,
                         ::testing::Values(TRangeCase{0, 99, "Range: bytes=0-99\r\n"},
                                           TRangeCase{100, 0, "Range: bytes=100-\r\n"}, TRangeCase{0, 0, ""},
                                           TRangeCase{4000000000u, 4294967295u,
                                                      "Range: bytes=4000000000-4294967295\r\n"}));

TEST_F(HttpRequestHeadTest, NeverConnectionContentLengthOrAcceptEncoding) {
  server.AddScript(TConnectionScript().Respond(Ok("x")).Respond(Ok("")));
  ConfigureLikeTheCallers(client);
  TMemoryStream target;
  client.GetToStream(server.Url("/a"), target);
  client.HeadRequest(server.Url("/b"));
  for (const TRecordedRequest& request : server.Requests()) {
    EXPECT_EQ(request.Raw.find("Connection"), std::string::npos);
    EXPECT_EQ(request.Raw.find("Content-Length"), std::string::npos);
    EXPECT_EQ(request.Raw.find("Accept-Encoding"), std::string::npos);
    EXPECT_NE(request.Raw.find("\r\nContent-Type: text/html\r\n"), std::string::npos);
  }
}

TEST_F(HttpRequestHeadTest, SpacesAndGbkBytesGoOutUnchanged) {
  server.AddScript(TConnectionScript().Respond(Ok("")));
  ConfigureLikeTheCallers(client);
  TMemoryStream target;
  const std::string path = "/\xb0\xd8\xe1\xb0 dir/a b.zip";  // "柏岚" in CP936, and spaces
  client.GetToStream(server.Url(path), target);
  EXPECT_EQ(RequestLine(server.Request(0)), "GET " + path + " HTTP/1.1");
}

TEST_F(HttpRequestHeadTest, TheHostValueNamesThePortUnlessItIs80) {
  client.SetReadTimeout(500);
  try {
    client.HeadRequest("http://127.0.0.1:80/x");  // nothing needs to listen there
  } catch (const ENetException&) {
  }
  EXPECT_EQ(client.Request.Host, "127.0.0.1");
  try {
    client.HeadRequest("http://127.0.0.1:8080/x");
  } catch (const ENetException&) {
  }
  EXPECT_EQ(client.Request.Host, "127.0.0.1:8080");
}

TEST_F(HttpRequestHeadTest, Http10AsksForKeepAlive) {
  server.AddScript(TConnectionScript().Respond(Ok("")));
  client.SetProtocolVersion(TProtocolVersion::pv1_0);
  client.HeadRequest(server.Url("/x"));
  EXPECT_EQ(server.Request(0).substr(0, 42), "HEAD /x HTTP/1.0\r\nConnection: keep-alive\r\n");
  EXPECT_THROW(client.PerformRequest(THttpMethod::hmPut, server.Url("/x"), nullptr, nullptr), ENetException);
}

TEST_F(HttpRequestHeadTest, ALongHeaderLineIsFoldedAfterASpaceOrComma) {
  server.AddScript(TConnectionScript().Respond(Ok("")));
  std::string value;
  for (int i = 0; i < 300; ++i) value += "item" + std::to_string(i) + ", ";
  client.Request.CustomHeaders.Add("X-List", value);
  client.HeadRequest(server.Url("/x"));
  const std::string raw = server.Request(0);
  std::size_t start = raw.find("X-List: ");
  ASSERT_NE(start, std::string::npos);
  std::size_t end = raw.find("\r\n", start);
  EXPECT_LE(end - start, THeaderList::kFoldLength);
  EXPECT_EQ(raw[end + 2], ' ');  // the continuation line
}

TEST_F(HttpRequestHeadTest, UnknownSchemesAndBadPortsFailBeforeAnyConnection) {
  THttpClient other;
  ExpectFailure<EUnknownProtocol>([&] { other.HeadRequest("ftp://127.0.0.1/x"); }, "");
  THttpClient third;
  ExpectFailure<EConvertError>([&] { third.HeadRequest("http://127.0.0.1:8o/x"); },
                               "'8o' is not a valid integer value");
  EXPECT_EQ(server.ConnectionCount(), 0);
}

TEST(RequestPathTest, MergesAndNormalisesRelativePaths) {
  EXPECT_EQ(MergeRequestPath("/a/x/", "../b/"), "/a/b/");
  EXPECT_EQ(MergeRequestPath("/a/x/", "/root/"), "/root/");
  EXPECT_EQ(MergeRequestPath("/a/x/", ""), "/a/x/");
  EXPECT_EQ(MergeRequestPath("/a/x", "b/"), "/a/x/b/");
  EXPECT_EQ(MergeRequestPath("/a//x/", "./c//"), "/a/x/./c/");
  EXPECT_EQ(MergeRequestPath("/a/", "../../../"), "/");  // never above the root
  EXPECT_EQ(MergeRequestPath("", ""), "/");
}

}  // namespace
}  // namespace bailan::test

// What the client takes from an answer: the status line and header fields, and
// the body by length, chunked, until the close, or none.
#include <string>

#include "HttpTestSupport.h"
#include "platform/File.h"
#include "platform/FileStream.h"
#include "platform/MemoryStream.h"
#include "support/TempDir.h"
#include "transport/http/NetExceptions.h"

namespace bailan::test {
namespace {

class HttpResponseTest : public ::testing::Test {
 protected:
  void SetUp() override { ConfigureLikeTheCallers(client); }
  std::string Get(const std::string& answer) {
    server.AddScript(TConnectionScript().Respond(answer));
    TMemoryStream target;
    client.GetToStream(server.Url("/m"), target);
    return target.Bytes();
  }
  void Head(const std::string& answer) {
    server.AddScript(TConnectionScript().Respond(answer));
    client.HeadRequest(server.Url("/h"));
  }

  TTestServer server;
  THttpClient client;
};

// ---- the head ----

TEST_F(HttpResponseTest, ContentLengthRules) {
  Head("HTTP/1.1 200 OK\r\nContent-Length:1234\r\n\r\n");
  EXPECT_EQ(client.Response.ContentLength, 1234);
  Head("HTTP/1.1 200 OK\r\n\r\n");
  EXPECT_EQ(client.Response.ContentLength, -1);
  Head("HTTP/1.1 200 OK\r\nContent-Length: 2147483647\r\n\r\n");
  EXPECT_EQ(client.Response.ContentLength, 2147483647);
  Head("HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\n\r\n");
  EXPECT_EQ(client.Response.ContentLength, -1);
  Head("HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\n\r\n");
  EXPECT_EQ(client.Response.ContentLength, -1);
  Head("HTTP/1.1 200 OK\r\ncontent-length: -5\r\n\r\n");
  EXPECT_EQ(client.Response.ContentLength, -1);
}

TEST_F(HttpResponseTest, StatusLineFieldsAndContinuationLines) {
  Head(
      "HTTP/1.1 200 Fine Thanks\r\nServer: test\r\n  server\r\nX-A: 1\r\n\tand 2\r\nContent-Length: "
      "0\r\n\r\n");
  EXPECT_EQ(client.Response.StatusLine, "HTTP/1.1 200 Fine Thanks");
  EXPECT_EQ(client.Response.StatusCode, 200);
  EXPECT_EQ(client.Response.Server, "test server");
  EXPECT_EQ(client.Response.Headers.Value("x-a"), "1 and 2");
  Head("HTTP/1.1 200 OK\r\nX-B: one \t\r\n  two  \r\n\tthree\r\n \r\nContent-Length: 0\r\n\r\n");
  EXPECT_EQ(client.Response.Headers.Lines().front(), "X-B: one two three ");
}

TEST_F(HttpResponseTest, AnInterimContinueIsSkipped) {
  Head("HTTP/1.1 100 Continue\r\nX-Interim: yes\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\n");
  EXPECT_EQ(client.Response.StatusCode, 200);
  EXPECT_EQ(client.Response.ContentLength, 7);
  EXPECT_FALSE(client.Response.Headers.Has("X-Interim"));
}

TEST_F(HttpResponseTest, ContentRangeIsReadAndAStarIsNotANumber) {
  Head("HTTP/1.1 206 Partial\r\nContent-Range: bytes 100-199/1000\r\nContent-Length: 100\r\n\r\n");
  EXPECT_EQ(client.Response.ContentRangeStart, 100);
  EXPECT_EQ(client.Response.ContentRangeEnd, 199);
  ExpectFailure<EConvertError>(
      [&] { Head("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */1000\r\n\r\n"); },
      "'*/1000' is not a valid integer value");
}

TEST_F(HttpResponseTest, ABadStatusLineIsAFailureWithCodeMinusOne) {
  try {
    Get("garbage\r\nContent-Length: 0\r\n\r\n");
    ADD_FAILURE() << "accepted";
  } catch (const EHttpProtocolException& error) {
    EXPECT_EQ(error.Message(), "garbage");
    EXPECT_EQ(error.ErrorCode(), -1);
  }
}

TEST_F(HttpResponseTest, OverlongAndEndlessHeadsFail) {
  std::string many, folded, interimLines, interimBytes, endlessContinue;
  for (int i = 0; i < 1500; ++i) many += "X-" + std::to_string(i) + ": v\r\n";
  // Within the line and count limits, but 15 MB of folded value: refused after
  // the first 256 KiB instead of joined line by line.
  folded = "X-Folded: v\r\n";
  for (int i = 0; i < 990; ++i) folded += " " + std::string(16000, 'f') + "\r\n";
  // The limits count every interim answer skipped before the final one: each
  // of these answers is small, together they are not.
  for (int i = 0; i < 600; ++i)
    interimLines += "HTTP/1.1 100 Continue\r\nX-" + std::to_string(i) + ": v\r\n\r\n";
  for (int i = 0; i < 20; ++i)
    interimBytes += "HTTP/1.1 100 Continue\r\nX-Big: " + std::string(15000, 'b') + "\r\n\r\n";
  for (int i = 0; i < 1100; ++i) endlessContinue += "HTTP/1.1 100 Continue\r\n\r\n";
  const struct {
    const char* What;
    std::string Before, Headers;
    const char* Message;
  } cases[] = {
      {"one overlong line", "", "X-Big: " + std::string(20000, 'b') + "\r\n", "Max line length exceeded."},
      {"too many lines", "", many, "Too many header lines."},
      {"folded far beyond the bytes", "", folded, "Response head too long."},
      {"interim answers beyond the lines", interimLines, "", "Too many header lines."},
      {"interim answers beyond the bytes", interimBytes, "", "Response head too long."},
      {"endless interim answers", endlessContinue, "", "Too many header lines."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    ExpectFailure<EReadLnMaxLineLengthExceeded>(
        [&] { Head(c.Before + "HTTP/1.1 200 OK\r\n" + c.Headers + "Content-Length: 0\r\n\r\n"); }, c.Message);
  }
}

// ---- bodies ----

TEST_F(HttpResponseTest, BodyByLength) {
  EXPECT_EQ(Get(Ok("hello world")), "hello world");
}

TEST_F(HttpResponseTest, ChunkedBodyWritesTheDataBytes) {
  EXPECT_EQ(Get("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nabcde\r\n0\r\n\r\n"), "abcde");
  // Sizes with every hex letter in both cases, as real servers write them.
  const std::pair<const char*, std::size_t> sizes[] = {
      {"3 ext", 3}, {"a", 10}, {"B", 11}, {"c", 12}, {"D", 13}, {"e", 14}, {"F", 15},
      {"A", 10},    {"b", 11}, {"C", 12}, {"d", 13}, {"E", 14}, {"f", 15}, {"1f40", 8000},
  };
  std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", body;
  char fill = 'a';
  for (const auto& [line, size] : sizes) {
    const std::string data(size, fill++);
    chunked += std::string(line) + "\r\n" + data + "\r\n";
    body += data;
  }
  const std::string got = Get(chunked + "0\r\n\r\n");
  EXPECT_EQ(got.size(), body.size());
  EXPECT_TRUE(got == body);
}

TEST_F(HttpResponseTest, AChunkSizeBeyondAnyBodyFails) {
  ExpectFailure<EConvertError>(
      [&] { Get("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFF\r\nabc"); },
      "'$FFFFFFFFFFFF' is not a valid integer value");
}

TEST_F(HttpResponseTest, BodyUntilTheCloseWithoutLength) {
  server.AddScript(
      TConnectionScript().ReadRequest().Send("HTTP/1.1 200 OK\r\n\r\nuntil ").Pause(50).Send("close"));
  TMemoryStream target;
  client.GetToStream(server.Url("/m"), target);
  EXPECT_EQ(target.Bytes(), "until close");
  EXPECT_FALSE(client.Connection().IsOpen());
}

TEST_F(HttpResponseTest, NoBodyForLengthZeroAnd204) {
  EXPECT_EQ(Get("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"), "");
  EXPECT_EQ(Get("HTTP/1.1 204 No Content\r\n\r\n"), "");
}

TEST_F(HttpResponseTest, TheBodyIsWrittenFromTheTargetsPosition) {
  server.AddScript(TConnectionScript().Respond(Ok("body")));
  TMemoryStream target;
  target.Write("keep", 4);
  client.GetToStream(server.Url("/m"), target);
  EXPECT_EQ(target.Bytes(), "keepbody");
}

TEST_F(HttpResponseTest, ABodyCutShortByThePeerFailsAndKeepsWhatArrived) {
  // 600 of 1000 announced bytes come with the head, 100 more later, then the close.
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n";
  server.AddScript(TConnectionScript()
                       .ReadRequest()
                       .Send(head + std::string(600, 'a'))
                       .Pause(50)
                       .Send(std::string(100, 'b')));
  TTempDir dir;
  TFileStream target(TFile::Create(dir / "update.ini", TShareMode::Exclusive));
  ExpectFailure<EConnClosedGracefully>([&] { client.GetToStream(server.Url("/m"), target); },
                                       "Connection Closed Gracefully.");
  EXPECT_EQ(target.Size(), 700);  // nothing lost, nothing invented
  target.File().Close();
  EXPECT_EQ(ReadFileBytes(dir / "update.ini"), std::string(600, 'a') + std::string(100, 'b'));
}

TEST_F(HttpResponseTest, WithoutTargetTheBodyStaysOnTheConnection) {
  const std::string body(30000, 'q');
  server.AddScript(
      TConnectionScript()
          .ReadRequest()
          .Send("HTTP/1.1 206 Partial Content\r\nContent-Length: 30000\r\n\r\n" + body.substr(0, 3000))
          .Pause(50)
          .Send(body.substr(3000))
          .Hang());
  client.Request.ContentRangeStart = 0;
  client.Request.ContentRangeEnd = 29999;
  client.PerformRequest(THttpMethod::hmGet, server.Url("/seg"), nullptr, nullptr);
  EXPECT_TRUE(client.Connection().IsOpen());
  std::string received(30000, '\0');
  client.ReadExact(received.data(), 10240);
  client.ReadExact(received.data() + 10240, 10240);
  client.ReadExact(received.data() + 20480, 30000 - 20480);
  EXPECT_EQ(received, body);
}

TEST_F(HttpResponseTest, ASegmentAnsweredWithCloseCanOnlyUseWhatCameWithTheHead) {
  const std::string head =
      "HTTP/1.1 206 Partial Content\r\nContent-Length: 6000\r\nConnection: close\r\n\r\n";
  server.AddScript(TConnectionScript()
                       .ReadRequest()
                       .Send(head + std::string(3000, 'h'))
                       .Pause(100)
                       .Send(std::string(3000, 'i')));
  client.PerformRequest(THttpMethod::hmGet, server.Url("/seg"), nullptr, nullptr);
  EXPECT_FALSE(client.Connection().IsOpen());
  std::string block(3000, '\0');
  client.ReadExact(block.data(), 3000);
  EXPECT_EQ(block, std::string(3000, 'h'));
  ExpectFailure<EConnClosedGracefully>([&] { client.ReadExact(block.data(), 3000); },
                                       "Connection Closed Gracefully.");
}

}  // namespace
}  // namespace bailan::test

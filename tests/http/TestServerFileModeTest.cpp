// The test server's file mode, which the engine tests rely on: HEAD, ranges,
// redirects, keep-alive and closing answers, as the client sees them.
#include <string>

#include "HttpTestSupport.h"
#include "platform/MemoryStream.h"
#include "transport/http/NetExceptions.h"

namespace bailan::test {
namespace {

class TestServerFileModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.AddFile("/f.zip", "0123456789abcdefghij");
    server.AddRedirect("/old.zip", "/f.zip", 301);
    ConfigureLikeTheCallers(client);
  }
  TTestServer server;
  THttpClient client;
};

TEST_F(TestServerFileModeTest, HeadRangeAndRedirectOnOneKeptConnection) {
  client.HeadRequest(server.Url("/old.zip"));
  EXPECT_EQ(client.Response.ContentLength, 20);
  client.Request.ContentRangeStart = 5;
  client.Request.ContentRangeEnd = 9;
  client.PerformRequest(THttpMethod::hmGet, server.Url("/f.zip"), nullptr, nullptr);
  EXPECT_EQ(client.Response.StatusCode, 206);
  EXPECT_EQ(client.Response.Headers.Value("Content-Range"), "bytes 5-9/20");
  std::string body(5, '\0');
  client.ReadExact(body.data(), 5);
  EXPECT_EQ(body, "56789");
  EXPECT_EQ(server.ConnectionCount(), 1);
  EXPECT_EQ(server.Requests().size(), 3u);
}

TEST_F(TestServerFileModeTest, OptionsIgnoreRangeAndClose) {
  TFileServingOptions options;
  options.IgnoreRange = true;
  options.CloseAfterResponse = true;
  options.BlockSize = 3;
  options.BlockDelayMs = 5;
  server.SetFileOptions(options);
  client.Request.ContentRangeStart = 5;
  TMemoryStream target;
  client.GetToStream(server.Url("/f.zip"), target);
  EXPECT_EQ(client.Response.StatusCode, 200);
  EXPECT_EQ(target.Bytes(), "0123456789abcdefghij");
  EXPECT_FALSE(client.Connection().IsOpen());
}

TEST_F(TestServerFileModeTest, MissingFilesAndUnsatisfiableRanges) {
  TMemoryStream target;
  EXPECT_THROW(client.GetToStream(server.Url("/none"), target), EHttpProtocolException);
  client.Request.ContentRangeStart = 50;
  EXPECT_THROW(client.GetToStream(server.Url("/f.zip"), target), EConvertError);  // "bytes */20"
}

}  // namespace
}  // namespace bailan::test

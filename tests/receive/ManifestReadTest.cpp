// A manifest far longer than any real one, but under the reader's limit, is
// fetched and read to its last line, however the server delivers it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/IniFile.h"
#include "receive/ManifestFetch.h"
#include "support/Environment.h"
#include "support/TempDir.h"
#include "support/TestServer.h"

namespace bailan {
namespace {

constexpr std::size_t kManifestBytes = 1u << 20;  // 1 MiB: a sixteenth of the reader's limit
static_assert(kManifestBytes < TIniFile::kMaxFileSize);

// "[bailan]" first, "[file20]" in the last line, and filler lines between.
std::string LongManifest() {
  const std::string head = "[bailan]\r\nurl=http://h/first.zip\r\n[filler]\r\n";
  const std::string tail = "[file20]\r\nurl=http://h/last.zip";
  std::string text = head;
  for (int i = 0; text.size() + 80 + tail.size() < kManifestBytes; ++i) {
    std::string line = "key" + std::to_string(i) + "=";
    text += line + std::string(78 - line.size(), 'v') + "\r\n";
  }
  text += std::string(kManifestBytes - text.size() - tail.size() - 2, ';') + "\r\n";
  return text + tail;
}

std::string Chunked(const std::string& body, std::size_t chunk) {
  std::string out = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (std::size_t at = 0; at < body.size(); at += chunk) {
    const std::string part = body.substr(at, chunk);
    char size[16];
    std::snprintf(size, sizeof size, "%zx\r\n", part.size());
    out += size + part + "\r\n";
  }
  return out + "0\r\n\r\n";
}

TEST(ManifestRead, AManifestOfOneMebibyteIsReadWhole) {
  const std::string manifest = LongManifest();
  ASSERT_EQ(manifest.size(), kManifestBytes);
  const struct {
    const char* What;
    std::string Answer;
  } cases[] = {
      {"by length",
       "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(manifest.size()) + "\r\n\r\n" + manifest},
      {"chunked", Chunked(manifest, 65536)},
      {"until the close", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + manifest},
  };
  test::TTempDir temp;
  const char* before = std::getenv("TEMP");
  const std::string saved = before ? before : "";
  test::SetEnvironment("TEMP", temp.Path().c_str());
  test::TTestServer server;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    server.AddScript(test::TConnectionScript().Respond(c.Answer));
    ASSERT_TRUE(FetchManifestFrom(server.Url("/install/Tavro/Live.txt")));
    EXPECT_EQ(test::ReadFileBytes(temp / "update.ini"), manifest);
    ASSERT_NE(ManifestIni(), nullptr);
    EXPECT_EQ(ManifestIni()->ReadString("bailan", "url", ""), "http://h/first.zip");
    EXPECT_EQ(ManifestIni()->ReadString("file20", "url", ""), "http://h/last.zip");
  }
  SetManifestIni(nullptr);
  test::SetEnvironment("TEMP", before ? saved.c_str() : nullptr);
}

}  // namespace
}  // namespace bailan

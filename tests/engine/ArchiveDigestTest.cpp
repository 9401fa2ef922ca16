// Archives received with an expected SHA-256: unpacked only when they have it;
// otherwise deleted with their resume state, reported in one line, and fetched
// afresh by the next run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/Sha256.h"
#include "support/EngineRun.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "support/ZipBuilder.h"

namespace bailan {
namespace {

using test::PatternBytes;
using test::ReadFileBytes;
using test::TEngineRun;
using test::TTempDir;
using test::TTestServer;

const std::string kPayload = PatternBytes(200000);
// Stored, not deflated: the archive is as large as its payload.
const std::string kArchive = test::TZipBuilder().AddFile("BL.exe", kPayload).Build();
const std::string kDigest = DigestToHex(TSha256::Of(kArchive));

// The archive with one byte changed in its middle: the same length, another digest.
std::string Tampered() {
  std::string bytes = kArchive;
  bytes[bytes.size() / 2] ^= 0x5A;
  return bytes;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

std::size_t FilesIn(const std::string& folder) {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(test::FsPath(folder))) {
    if (!entry.is_directory()) ++count;
  }
  return count;
}

// A rejected run: nothing unpacked, nothing left to resume, one line naming
// both digests, the job still listed with its record and nothing received.
void ExpectRejected(const TEngineRun& run, const TTempDir& dir, const std::string& gotHex) {
  EXPECT_EQ(FilesIn(dir.Path()), 0u) << "archive, partial or resume file left, or something unpacked";
  const auto log = run.UntimedLog();
  const auto both = std::count_if(log.begin(), log.end(), [&](const std::string& line) {
    return line.find(kDigest) != std::string::npos && line.find(gotHex) != std::string::npos;
  });
  EXPECT_EQ(both, 1) << ::testing::PrintToString(log);
  EXPECT_FALSE(run.Job->Finished);
  EXPECT_EQ(run.Job->ReceivedSize, 0);
  EXPECT_EQ(run.Job->RunErrorClass(), "EDigestMismatch");
  EXPECT_EQ(run.Lists->JobCount(), 1);
  EXPECT_EQ(run.Lists->PendingCount(), 1);
  EXPECT_EQ(run.Lists->ReceivedCount(), 0);
}

// A tampered archive is rejected; the next run, once the server is mended,
// starts afresh (the size probed again, every range from its start) and succeeds.
TEST(ArchiveDigest, ArchiveIsUnpackedOnlyWithItsDigest) {
  const struct {
    const char* What;
    std::string Served;
    std::string Expected;
    bool Slow = false;  // arriving in small blocks: hashed while the segments still write
  } cases[] = {
      {"right digest", kArchive, kDigest},
      {"right digest, arriving slowly", kArchive, kDigest, true},
      {"right digest in capitals", kArchive, Upper(kDigest)},
      {"tampered archive", Tampered(), kDigest},
      {"tampered archive, arriving slowly", Tampered(), kDigest, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TTempDir dir;
    TTestServer server;
    server.AddFile("/app.zip", c.Served);
    if (c.Slow) server.SetFileOptions(test::Throttled(1024, 2));
    TEngineRun run(server.Url("/app.zip"), dir.Path(), 3, true, c.Expected);
    ASSERT_TRUE(run.RunToEnd());
    if (c.Served != kArchive) {
      ExpectRejected(run, dir, DigestToHex(TSha256::Of(c.Served)));
      server.AddFile("/app.zip", kArchive);
      const std::size_t before = server.Requests().size();
      ASSERT_TRUE(run.RunToEnd());
      const auto requests = server.Requests();
      ASSERT_GT(requests.size(), before + 1);
      EXPECT_EQ(requests[before].Raw.rfind("HEAD ", 0), 0u) << requests[before].Raw;
      EXPECT_EQ(
          std::count_if(requests.begin() + static_cast<std::ptrdiff_t>(before), requests.end(),
                        [](const auto& r) { return r.Raw.find("Range: bytes=0-") != std::string::npos; }),
          1);
    }
    EXPECT_EQ(ReadFileBytes(dir / "BL.exe"), kPayload);
    EXPECT_EQ(FilesIn(dir.Path()), 1u);
    EXPECT_TRUE(run.Job->RunErrorClass().empty()) << run.Job->RunErrorMessage();
    ASSERT_EQ(run.Lists->ReceivedCount(), 1);
    EXPECT_EQ(run.Lists->ReceivedList()[0].Sha256.Get(), c.Expected);
  }
}

}  // namespace
}  // namespace bailan

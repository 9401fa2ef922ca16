// The "sha256" beside a manifest entry's url: carried into the record in lower
// case, and a malformed one refuses the whole manifest, on the fetch as well.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "receive/ManifestFetch.h"
#include "receive/ManifestJobs.h"
#include "support/Environment.h"
#include "support/TempDir.h"
#include "support/TestServer.h"

namespace bailan {
namespace {

const std::string kLower = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
const std::string kUpper = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";

std::string Manifest(const std::string& file1Lines) {
  return "[bailan]\r\nurl=http://h/a.zip\r\n[file1]\r\nurl=http://h/b.zip\r\n" + file1Lines;
}

// Points TEMP at a fresh folder for one test, and back afterwards.
class ManifestDigest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* value = std::getenv("TEMP")) saved_ = value;
    test::SetEnvironment("TEMP", dir_.Path().c_str());
  }
  void TearDown() override {
    test::SetEnvironment("TEMP", saved_ ? saved_->c_str() : nullptr);
    SetManifestIni(nullptr);
  }

  test::TTempDir dir_;
  std::optional<std::string> saved_;
};

// What file1's record holds, or that the manifest is refused (at the fetch and
// when its records are made) with a reason naming the section.
TEST_F(ManifestDigest, DigestsAreKeptInLowerCaseAndMalformedOnesRefuseTheManifest) {
  const struct {
    const char* What;
    std::string Lines;
    std::optional<std::string> Stored;  // none: refused
  } cases[] = {
      {"none", "", ""},
      {"lower case", "sha256=" + kLower + "\r\n", kLower},
      {"upper case, key in capitals", "SHA256=" + kUpper + "\r\n", kLower},
      {"quoted", "sha256=\"" + kUpper + "\"\r\n", kLower},
      {"in a section the reading never reaches", "[file3]\r\nurl=http://h/c.zip\r\nsha256=x\r\n", ""},
      {"one digit short", "sha256=" + kLower.substr(1) + "\r\n", std::nullopt},
      {"one digit more", "sha256=" + kLower + "0\r\n", std::nullopt},
      {"not hex", "sha256=" + kLower.substr(1) + "g\r\n", std::nullopt},
      {"prefixed", "sha256=0x" + kLower.substr(2) + "\r\n", std::nullopt},
      {"empty", "sha256=\r\n", std::nullopt},
      {"a double-byte character", "sha256=" + kLower.substr(2) + "\xB0\xA1\r\n", std::nullopt},
      {"control character", "sha256=" + kLower.substr(1) + "\x01\r\n", std::nullopt},
  };
  test::TTestServer server;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    const TIniFile manifest = TIniFile::FromText(Manifest(c.Lines));
    if (c.Stored) {
      const auto records = ManifestRecords(manifest, "/opt", "p");
      ASSERT_EQ(records.size(), 2u);
      EXPECT_EQ(records[0].Sha256.Get(), "");
      EXPECT_EQ(records[1].Sha256.Get(), *c.Stored);
    } else {
      EXPECT_THROW(ManifestRecords(manifest, "/opt", "p"), EManifestError);
    }
    server.AddFile("/m", Manifest(c.Lines));
    EXPECT_EQ(FetchManifestFrom(server.Url("/m")), c.Stored.has_value());
    EXPECT_EQ(ManifestIni() != nullptr, c.Stored.has_value());
    EXPECT_EQ(ManifestFetchFailure().find("[file1]") == std::string::npos, c.Stored.has_value())
        << ManifestFetchFailure();
  }
}

}  // namespace
}  // namespace bailan

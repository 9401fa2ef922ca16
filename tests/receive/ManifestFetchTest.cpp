// The manifest copy in TEMP: what the fetch writes there, through what, and
// how much of it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/HostSystem.h"
#include "platform/Signature.h"
#include "receive/ManifestFetch.h"
#include "support/Environment.h"
#include "support/TempDir.h"
#include "support/TestServer.h"

namespace bailan {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

const std::string kManifest = "[bailan]\r\nurl=http://h/d/setup.zip\r\n";

// Points TEMP at a fresh folder for one test, and back afterwards.
class ManifestFetch : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* value = std::getenv("TEMP")) saved_ = value;
    test::SetEnvironment("TEMP", dir.Path().c_str());
    SetManifestIni(nullptr);
  }
  void TearDown() override {
    test::SetEnvironment("TEMP", saved_ ? saved_->c_str() : nullptr);
    SetManifestIni(nullptr);
  }
  // The names in the folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(test::FsPath(dir.Path())))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TTempDir dir;
  test::TTestServer server;
  std::optional<std::string> saved_;
};

TEST_F(ManifestFetch, PlantedLinkIsReplacedNeverWrittenThrough) {
  if (kWindowsHost) GTEST_SKIP() << "symbolic links need a privilege on Windows";
  WriteFileBytes(dir / "victim", "keep");
  std::filesystem::create_symlink(test::FsPath(dir / "victim"), test::FsPath(dir / "update.ini"));
  server.AddFile("/m", kManifest);
  ASSERT_TRUE(FetchManifestFrom(server.Url("/m")));
  EXPECT_EQ(ReadFileBytes(dir / "victim"), "keep");
  EXPECT_FALSE(std::filesystem::is_symlink(test::FsPath(dir / "update.ini")));
  EXPECT_EQ(ReadFileBytes(dir / "update.ini"), kManifest);
  ASSERT_NE(ManifestIni(), nullptr);
  EXPECT_EQ(ManifestIni()->ReadString("bailan", "url", "error"), "http://h/d/setup.zip");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"update.ini", "victim"}));
}

TEST_F(ManifestFetch, AnswerIsTakenUpToTheReadersLimitAndNoFurther) {
  struct {
    std::size_t Size;
    bool Fetched;
  } cases[] = {{TIniFile::kMaxFileSize, true}, {TIniFile::kMaxFileSize + 1, false}};
  for (const auto& c : cases) {
    WriteFileBytes(dir / "update.ini", "old");
    std::string body = kManifest;
    body.resize(c.Size, ';');
    server.AddFile("/big", body);
    EXPECT_EQ(FetchManifestFrom(server.Url("/big")), c.Fetched) << c.Size;
    EXPECT_EQ(ReadFileBytes(dir / "update.ini").size(), c.Fetched ? c.Size : 3u);
    EXPECT_EQ(ManifestFetchFailure().find("longer than 16777216 bytes") != std::string::npos, !c.Fetched)
        << ManifestFetchFailure();
    EXPECT_EQ(Entries(), std::vector<std::string>{"update.ini"});
  }
}

TEST_F(ManifestFetch, FailedTransferLeavesNoFileAndAFolderWithoutRoomRaises) {
  EXPECT_FALSE(FetchManifestFrom(server.Url("/absent")));
  EXPECT_EQ(ManifestIni(), nullptr);
  EXPECT_TRUE(Entries().empty());
  // A folder that takes no file, and a copy that cannot take the name.
  server.AddFile("/m", kManifest);
  ASSERT_TRUE(ForceDirectories(dir / "update.ini/inside"));
  EXPECT_THROW(FetchManifestFrom(server.Url("/m")), EFCreateError);
  EXPECT_EQ(Entries(), std::vector<std::string>{"update.ini"});
  test::SetEnvironment("TEMP", (dir / "missing").c_str());
  EXPECT_THROW(FetchManifestFrom(server.Url("/absent")), EFCreateError);
}

// With a key, only a manifest whose signature holds over the bytes received
// takes the copy's name; every refusal says why and leaves the old copy.
TEST_F(ManifestFetch, SignedBuildTakesOnlyAManifestItsKeySigned) {
  const std::string data = std::string(BAILAN_TEST_DATA_DIR) + "/signature/";
  const TSignatureKey key(ReadFileBytes(data + "public.pem"));
  const TSignatureKey other(ReadFileBytes(data + "other-public.pem"));
  const std::string manifest = ReadFileBytes(data + "manifest.txt");
  const std::string good = ReadFileBytes(data + "manifest.txt.sig");
  const std::string absent = "\x01";  // no file at the signature's address
  const struct {
    const char* Name;
    std::string Served, Signature;
    const TSignatureKey* Key;  // nullptr: a build without a key
    const char* Reason;        // nullptr: taken
  } cases[] = {
      {"signed", manifest, good, &key, nullptr},
      {"keyless build, asks for no signature", manifest + ";", absent, nullptr, nullptr},
      {"no signature (404)", manifest, absent, &key, "could not be received: HTTP/1.1 404"},
      {"empty", manifest, "", &key, "it is empty"},
      {"truncated", manifest, good.substr(0, good.size() - 1), &key, "length does not match"},
      {"oversized", manifest, good + std::string(100, '0'), &key, "the signature is longer than 72 bytes"},
      {"over other bytes", manifest + "[file1]\r\nurl=http://evil/x.zip\r\n", good, &key, "not this key's"},
      {"by another key", manifest, good, &other, "not this key's"},
      {"malformed", manifest, "<html>not found</html>", &key, "not a SEQUENCE"},
  };
  for (const auto& c : cases) {
    WriteFileBytes(dir / "update.ini", "old");
    test::TTestServer site;
    site.AddRedirect("/Live.txt", "/real/Live.txt");  // the signature lies beside the asked address
    site.AddFile("/real/Live.txt", c.Served);
    if (c.Signature != absent) site.AddFile("/Live.txt.sig", c.Signature);
    SetManifestIni(nullptr);
    const bool fetched = FetchManifestFrom(site.Url("/Live.txt"), c.Key);
    EXPECT_EQ(fetched, c.Reason == nullptr) << c.Name << ": " << ManifestFetchFailure();
    EXPECT_EQ(ManifestIni() != nullptr, fetched) << c.Name;
    EXPECT_EQ(ReadFileBytes(dir / "update.ini"), fetched ? c.Served : "old") << c.Name;
    EXPECT_EQ(Entries(), std::vector<std::string>{"update.ini"}) << c.Name;
    EXPECT_EQ(site.Requests().size(), c.Key ? 3u : 2u)
        << c.Name << ": the redirect, the manifest, its signature";
    if (c.Reason != nullptr) {
      EXPECT_EQ(ManifestFetchFailure().rfind("The manifest is refused: ", 0), 0u) << ManifestFetchFailure();
      EXPECT_NE(ManifestFetchFailure().find(c.Reason), std::string::npos)
          << c.Name << ": " << ManifestFetchFailure();
    }
  }
}

}  // namespace
}  // namespace bailan

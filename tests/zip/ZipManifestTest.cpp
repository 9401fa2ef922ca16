// Third-party archives (PKZIP-era shrink, reduce and implode; deflate; Zip64;
// data descriptors; encryption; damaged headers) against the SHA-256 of every
// entry's correct content.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/Cp936.h"
#include "support/TempDir.h"
#include "support/ZipTestSupport.h"

namespace bailan::test {
namespace {

const std::string kZipData = std::string(BAILAN_TEST_DATA_DIR) + "/zip";

struct TManifestLine {
  std::string Archive, RawName;
  int Method = 0;
  unsigned Flags = 0;
  std::string Sha256;
};

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<TManifestLine> ReadManifest() {
  std::ifstream in(kZipData + "/MANIFEST.tsv");
  std::vector<TManifestLine> lines;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    TManifestLine m;
    std::string method, flags, csize, usize, crc;
    std::getline(fields, m.Archive, '\t');
    std::getline(fields, m.RawName, '\t');
    std::getline(fields, method, '\t');
    std::getline(fields, flags, '\t');
    std::getline(fields, csize, '\t');
    std::getline(fields, usize, '\t');
    std::getline(fields, crc, '\t');
    std::getline(fields, m.Sha256, '\t');
    m.RawName = Unescape(m.RawName);
    m.Method = std::stoi(method);
    m.Flags = static_cast<unsigned>(std::stoul(flags, nullptr, 16));
    lines.push_back(m);
  }
  return lines;
}

bool Decodable(int method) {
  return method == 0 || method == 1 || (method >= 2 && method <= 6) || method == 8;
}

// Where an entry's file lands below the folder: names flagged UTF-8 keep their
// spelling; other names are the system's CP936 bytes.
std::string ExpectedHostName(const TManifestLine& m) {
  std::string cp936 = (m.Flags & 0x800) ? Utf8ToCp936(m.RawName) : m.RawName;
  return Cp936ToUtf8(cp936);
}

TEST(ZipManifest, EveryDecodableEntryComesOutByteIdentical) {
  std::vector<TManifestLine> manifest = ReadManifest();
  ASSERT_GT(manifest.size(), 200u);
  std::map<std::string, std::vector<TManifestLine>> byArchive;
  for (const TManifestLine& m : manifest) byArchive[m.Archive].push_back(m);
  int checked = 0;
  for (const auto& [archive, entries] : byArchive) {
    SCOPED_TRACE(archive);
    TTempDir dir;
    auto notifier = std::make_shared<TRecordingUnzipNotifier>();
    int handled = ExtractLikeTheInstaller(kZipData + "/" + archive, dir.Path(), notifier);
    int expectedHandled = 0, expectedNotices = 0;
    std::set<std::string> expectedFiles;
    for (const TManifestLine& m : entries) {
      SCOPED_TRACE(m.RawName);
      bool directory = m.Sha256 == "-";
      bool encrypted = (m.Flags & 1) != 0;
      if (directory) {
        ++expectedHandled;
        EXPECT_TRUE(std::filesystem::is_directory(FsPath(dir / ExpectedHostName(m))));
        continue;
      }
      if (encrypted) continue;
      if (!Decodable(m.Method)) {
        ++expectedNotices;
        continue;
      }
      ++expectedHandled;
      std::string name = ExpectedHostName(m);
      expectedFiles.insert(name);
      ASSERT_TRUE(std::filesystem::is_regular_file(FsPath(dir / name))) << name;
      EXPECT_EQ(FileSha256(dir / name), m.Sha256) << name;
      ++checked;
    }
    EXPECT_EQ(handled, expectedHandled);
    EXPECT_EQ(notifier->Notices.size(), static_cast<std::size_t>(expectedNotices));
    for (const std::string& notice : notifier->Notices)
      EXPECT_EQ(notice, "Zip Error|Unknown Compression Method");
    // Nothing else: no file of an unknown method, no encrypted entry, no leftovers.
    std::vector<std::string> files = ListFiles(dir.Path());
    EXPECT_EQ(std::set<std::string>(files.begin(), files.end()), expectedFiles);
  }
  EXPECT_GE(checked, 190);
}

TEST(ZipManifest, OldMethodsOfEveryKindArePresent) {
  std::set<int> methods;
  for (const TManifestLine& m : ReadManifest()) methods.insert(m.Method);
  for (int method : {0, 1, 2, 3, 4, 5, 6, 8}) EXPECT_TRUE(methods.count(method)) << method;
}

}  // namespace
}  // namespace bailan::test

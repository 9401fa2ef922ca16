// Entries are decoded ahead of the writing: a failure of an entry that would
// be written ends the extraction with nothing after it on disk, however far
// the decoding had got, and the failure of an entry that is skipped anyway
// ends nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "support/ZipTestSupport.h"
#include "transport/zip/ZipExceptions.h"

namespace bailan::test {
namespace {

namespace fs = std::filesystem;

// Larger than the decoded data the hand-over holds at once (2 MiB), so that
// one entry fills it many times over.
const std::string kLarge = [] {
  std::string data(3 << 20, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 7) ^ (i >> 9));
  return data;
}();

std::string Numbered(int i) {
  return "f" + std::to_string(100 + i) + ".bin";
}

// Entries f100 to f107, large and small in turn, deflated and stored in turn;
// the deflated entry `broken` holds an invalid block type at its start.
std::string ArchiveBrokenAt(int broken) {
  TZipBuilder builder;
  for (int i = 0; i < 8; ++i)
    builder.AddFile(Numbered(i), i % 2 ? "small" : kLarge, i == broken || i % 3 ? 8 : 0);
  std::vector<std::size_t> offsets;
  std::size_t directory;
  std::string archive = builder.Build(offsets, directory);
  archive[offsets[broken] + 30 + Numbered(broken).size()] = '\xff';  // block type 3
  return archive;
}

TEST(ZipDecodeAhead, FailureStopsTheWritingAtItsEntry) {
  for (int broken : {0, 1, 4, 7}) {
    TTempDir dir;
    WriteFileBytes(dir / "a.zip", ArchiveBrokenAt(broken));
    EXPECT_EQ(ExtractFailure<EZCompressionError>(dir / "a.zip", dir / "D"), "EZCompressionError: error");
    std::vector<std::string> expected;
    for (int i = 0; i < broken; ++i) expected.push_back(Numbered(i));
    EXPECT_EQ(ListFiles(dir / "D"), expected) << broken;
    for (int i = 0; i < broken; ++i) {
      EXPECT_EQ(ReadFileBytes(dir / ("D/" + Numbered(i))), i % 2 ? "small" : kLarge) << broken << " " << i;
    }
  }
}

// The broken entry's name is taken by something the extraction keeps: its
// data is never needed, so its failure is no failure of the run.
TEST(ZipDecodeAhead, FailureOfASkippedEntryEndsNothing) {
  struct TCase {
    const char* Name;
    bool Folder;
  };
  const TCase cases[] = {{"a folder of that name", true}, {"a read-only file", false}};
  for (const TCase& c : cases) {
    TTempDir dir;
    WriteFileBytes(dir / "a.zip", ArchiveBrokenAt(2));
    const std::string blocked = dir / ("D/" + Numbered(2));
    fs::create_directories(c.Folder ? blocked : dir / "D");
    if (!c.Folder) {
      WriteFileBytes(blocked, "kept");
      ASSERT_TRUE(FileSetAttr(blocked, faReadOnly));
    }
    EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 7) << c.Name;
    EXPECT_EQ(ListFiles(dir / "D").size(), c.Folder ? 7u : 8u) << c.Name;
    if (!c.Folder) {
      EXPECT_EQ(ReadFileBytes(blocked), "kept");
    }
    EXPECT_EQ(ReadFileBytes(dir / ("D/" + Numbered(6))), kLarge) << c.Name;
    EXPECT_EQ(ReadFileBytes(dir / ("D/" + Numbered(7))), "small") << c.Name;
  }
}

}  // namespace
}  // namespace bailan::test

// Entries are decoded ahead of the writing: a failure of an entry that would
// be written ends the extraction with nothing after it on disk, however far
// the decoding had got, and the failure of an entry that is skipped anyway
// ends nothing. The entries are dealt to two decoding workers in turn: an
// entry the writer leaves out holds up neither, and the writing keeps the
// directory's order.
#include <gtest/gtest.h>

#include <algorithm>
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

// Entry i of the archive below: bytes of its own, more than a worker's
// hand-over holds (1 MiB), so that an entry nobody takes fills it.
std::string Content(int i) {
  std::string data = kLarge;
  data.replace(0, 8, "entry" + std::to_string(100 + i));
  return data;
}

constexpr int kNamedEntries = 8;  // f100 to f107, then three entries of one name
const std::string kSameName = "same.bin";

// The entries 0 to 10, deflated and stored in turn, entry `broken` (deflated)
// with an invalid block type at its start; -1 for none.
std::string ArchiveOfTurns(int broken) {
  static const auto [whole, offsets] = [] {
    TZipBuilder builder;
    for (int i = 0; i < kNamedEntries + 3; ++i)
      builder.AddFile(i < kNamedEntries ? Numbered(i) : kSameName, Content(i), i % 3 ? 8 : 0);
    std::vector<std::size_t> localOffsets;
    std::size_t directory;
    std::string archive = builder.Build(localOffsets, directory);
    return std::pair(archive, localOffsets);
  }();
  std::string archive = whole;
  if (broken >= 0) archive[offsets[broken] + 30 + Numbered(broken).size()] = '\xff';  // block type 3
  return archive;
}

TEST(ZipDecodeAhead, LeftOutAndFailingEntriesHoldUpNeitherWorker) {
  struct TCase {
    const char* Name;
    std::vector<int> LeftOut;  // of f100 to f107: a read-only file of the name is kept
    int Broken;                // -1 for none
  };
  const TCase cases[] = {
      {"the first worker's entry left out", {0}, -1},
      {"the second worker's entry left out", {1}, -1},
      {"both workers' entries left out in a row", {2, 3, 4, 5}, -1},
      {"all of f100 to f107 left out", {0, 1, 2, 3, 4, 5, 6, 7}, -1},
      {"a failure on the first worker after left-out ones", {1, 2}, 4},
      {"a failure on the second worker after left-out ones", {0, 3}, 5},
      {"a failure on the second worker, its entries before left out", {1, 3, 5}, 7},
  };
  for (const TCase& c : cases) {
    TTempDir dir;
    WriteFileBytes(dir / "a.zip", ArchiveOfTurns(c.Broken));
    fs::create_directories(dir / "D");
    for (int i : c.LeftOut) {
      WriteFileBytes(dir / ("D/" + Numbered(i)), "kept");
      ASSERT_TRUE(FileSetAttr(dir / ("D/" + Numbered(i)), faReadOnly));
    }
    const auto leftOut = [&c](int i) { return std::count(c.LeftOut.begin(), c.LeftOut.end(), i) > 0; };
    const int written = c.Broken < 0 ? kNamedEntries : c.Broken;
    std::vector<std::string> expected;
    for (int i = 0; i < written; ++i) expected.push_back(Numbered(i));
    for (int i = written; i < kNamedEntries; ++i) {
      if (leftOut(i)) expected.push_back(Numbered(i));
    }
    if (c.Broken < 0) {
      // The last of the three entries of one name wins, whichever worker decoded it.
      EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 11 - static_cast<int>(c.LeftOut.size()))
          << c.Name;
      expected.push_back(kSameName);
      EXPECT_EQ(ReadFileBytes(dir / ("D/" + kSameName)), Content(10)) << c.Name;
    } else {
      EXPECT_EQ(ExtractFailure<EZCompressionError>(dir / "a.zip", dir / "D"), "EZCompressionError: error")
          << c.Name;
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFiles(dir / "D"), expected) << c.Name;
    for (int i = 0; i < kNamedEntries; ++i) {
      const std::string path = dir / ("D/" + Numbered(i));
      if (leftOut(i)) {
        EXPECT_EQ(ReadFileBytes(path), "kept") << c.Name << " " << i;
      } else if (i < written) {
        EXPECT_EQ(ReadFileBytes(path), Content(i)) << c.Name << " " << i;
      }
    }
  }
}

}  // namespace
}  // namespace bailan::test

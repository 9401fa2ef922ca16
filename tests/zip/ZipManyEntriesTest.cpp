// Archives of many entries are extracted entry by entry in directory order: the
// later of two entries of one name wins, and the first failing entry ends the
// extraction with nothing after it written.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "support/ZipTestSupport.h"
#include "transport/zip/ZipExceptions.h"

namespace bailan::test {
namespace {

constexpr int kEntries = 60;

TEST(ZipManyEntries, LaterEntryOfTheSameNameWins) {
  TTempDir dir;
  TZipBuilder builder;
  for (int i = 0; i < kEntries; ++i) {
    builder.AddFile("f" + std::to_string(i) + ".txt", std::string(1000 + i, 'a' + i % 26), i % 2 ? 8 : 0);
    if (i % 10 == 5) builder.AddFile("dir/same.txt", "version " + std::to_string(i), 8);
  }
  WriteFileBytes(dir / "a.zip", builder.Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), kEntries + kEntries / 10);
  EXPECT_EQ(ReadFileBytes(dir / "D/dir/same.txt"), "version 55");
  EXPECT_EQ(ListFiles(dir / "D").size(), static_cast<std::size_t>(kEntries + 1));
  EXPECT_EQ(ReadFileBytes(dir / "D/f42.txt"), std::string(1042, 'a' + 42 % 26));
}

TEST(ZipManyEntries, EarliestFailureIsRaisedAndItsFileRemoved) {
  TTempDir dir;
  TZipBuilder builder;
  for (int i = 0; i < kEntries; ++i) {
    TZipBuilderEntry entry;
    entry.Name = "f" + std::to_string(i) + ".bin";
    entry.Data = std::string(5000, 'x');
    // Entries 20 and 40 claim to be deflated but hold the reserved block type.
    entry.Method = (i == 20 || i == 40) ? 8 : 0;
    builder.Add(entry);
  }
  std::vector<std::size_t> offsets;
  std::size_t directory;
  std::string archive = builder.Build(offsets, directory);
  for (int broken : {20, 40}) {
    std::size_t data = offsets[broken] + 30 + ("f" + std::to_string(broken) + ".bin").size();
    archive[data] = '\xff';  // block type 3: invalid
  }
  WriteFileBytes(dir / "a.zip", archive);
  EXPECT_EQ(ExtractFailure<EZCompressionError>(dir / "a.zip", dir / "D"), "EZCompressionError: error");
  EXPECT_FALSE(std::filesystem::exists(dir / "D/f20.bin"));
  EXPECT_FALSE(std::filesystem::exists(dir / "D/f40.bin"));
  for (int i = 0; i < kEntries; ++i) {
    EXPECT_EQ(std::filesystem::exists(dir / ("D/f" + std::to_string(i) + ".bin")), i < 20) << i;
  }
}

TEST(ZipManyEntries, EveryUnknownMethodIsNoticed) {
  TTempDir dir;
  TZipBuilder builder;
  for (int i = 0; i < kEntries; ++i) {
    TZipBuilderEntry entry;
    entry.Name = "f" + std::to_string(i);
    entry.Data = "data";
    entry.Method = i % 3 == 0 ? 14 : 0;
    builder.Add(entry);
  }
  WriteFileBytes(dir / "a.zip", builder.Build());
  auto notifier = std::make_shared<TRecordingUnzipNotifier>();
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D", notifier), kEntries - kEntries / 3);
  EXPECT_EQ(notifier->Notices.size(), static_cast<std::size_t>(kEntries / 3));
}

}  // namespace
}  // namespace bailan::test

// Archives built to hurt the extractor: names deeper or longer than any folder
// can be, and entries that share their data to multiply the output.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "support/ZipTestSupport.h"
#include "transport/zip/ZipDestination.h"

namespace bailan::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFlatMemory = 64u << 20;  // growth allowed while a hostile archive is handled

std::string Segments(const std::string& segment, int count) {
  std::string path;
  path.reserve((segment.size() + 1) * count);
  for (int i = 0; i < count; ++i) path += segment + "\\";
  return path;
}

TEST(ZipHostile, DeepNameIsAnEntryThatCannotBeCreated) {
  TTempDir dir;
  // The deepest name a header holds: 32766 folders of one letter.
  const std::string deep = Segments("a", 32766) + "f";
  ASSERT_LE(deep.size(), 65535u);
  WriteFileBytes(dir / "a.zip", TZipBuilder().AddFile(deep, "deep").AddFile("next.txt", "next").Build());
  const std::size_t before = PeakMemoryBytes();
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 1);
  EXPECT_LT(PeakMemoryBytes() - before, kFlatMemory);
  EXPECT_EQ(ReadFileBytes(dir / "D/next.txt"), "next");
  EXPECT_FALSE(fs::exists(dir / "D/a"));
}

TEST(ZipHostile, DestinationOfAnOverlongPathIsRefused) {
  struct TCase {
    std::string Path, Name;
    bool Accepted;
  };
  const TCase cases[] = {
      {Segments("a", 40000), "f", false},  // deeper than a path can be
      {Segments("a", 100), std::string(255, 'n'), true},
      {Segments("a", 100), std::string(256, 'n'), false},  // a name longer than a name can be
      {Segments(std::string(256, 's'), 1), "f", false},
  };
  for (const TCase& c : cases) {
    TZipEntry entry;
    entry.Path = c.Path;
    entry.Name = c.Name;
    TZipDestination destination;
    EXPECT_EQ(ResolveZipDestination("/tmp/D", true, entry, destination), c.Accepted) << c.Path.size();
  }
}

}  // namespace
}  // namespace bailan::test

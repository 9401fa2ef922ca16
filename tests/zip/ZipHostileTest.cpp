// Archives built to hurt the extractor: names deeper or longer than any folder
// can be, and entries that share their data to multiply the output.
#include <gtest/gtest.h>
#include <zlib.h>

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

// Fifty directory records name one entry's local header, and one record points
// into a stored entry's data at an archive hidden there: one file each.
TEST(ZipHostile, EntriesThatShareDataAreSkipped) {
  TTempDir dir;
  const std::string big(2 << 20, 'x');
  TZipBuilder shared;
  shared.AddFile("big00.bin", big, 8);
  for (int i = 1; i < 50; ++i) {
    TZipBuilderEntry copy;
    copy.Name = "big" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".bin";
    copy.Data = big;
    copy.Method = 8;
    copy.CentralOnlyAt = 0;
    shared.Add(copy);
  }
  shared.AddFile("own.txt", "own");
  WriteFileBytes(dir / "shared.zip", shared.Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "shared.zip", dir / "S"), 2);
  EXPECT_EQ(ListFiles(dir / "S"), (std::vector<std::string>{"big00.bin", "own.txt"}));

  std::vector<std::size_t> innerOffsets;
  std::size_t innerDirectory;
  const std::string inner = TZipBuilder().AddFile("inner.txt", "hidden").Build(innerOffsets, innerDirectory);
  TZipBuilderEntry nested;
  nested.Name = "inner.txt";
  nested.Data = "hidden";
  nested.CentralOnlyAt = 30 + 9;  // inside the data of "outer.bin"
  WriteFileBytes(dir / "nested.zip",
                 TZipBuilder().AddFile("outer.bin", inner.substr(0, innerDirectory)).Add(nested).Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "nested.zip", dir / "N"), 1);
  EXPECT_EQ(ListFiles(dir / "N"), std::vector<std::string>{"outer.bin"});
}

// A raw deflate stream of `mebibytes` MiB of zeros: one fully flushed MiB
// (which starts without history) repeated, then an empty final block.
std::string DeflatedZeros(int mebibytes, std::uint32_t& crc) {
  const std::string zeros(1 << 20, '\0');
  const std::string piece = RawDeflate(zeros, false);
  const uLong pieceCrc =
      crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), static_cast<uInt>(zeros.size()));
  std::string out;
  uLong total = crc32(0, nullptr, 0);
  for (int i = 0; i < mebibytes; ++i) {
    out += piece;
    total = crc32_combine(total, pieceCrc, static_cast<z_off_t>(zeros.size()));
  }
  crc = static_cast<std::uint32_t>(total);
  return out + std::string("\x03\x00", 2);
}

// The most a legitimate entry multiplies: 1 GiB of zeros from about a megabyte,
// extracted with flat memory.
TEST(ZipHostile, AGibibyteOfZerosFromATinyArchiveStillExtracts) {
  TTempDir dir;
  constexpr int kMebibytes = 1024;
  TZipBuilderEntry zeros;
  zeros.Name = "zeros.bin";
  zeros.Data = DeflatedZeros(kMebibytes, zeros.Crc);
  zeros.Method = 8;
  zeros.Precompressed = true;
  zeros.OverrideCrc = true;
  zeros.OverrideSize = true;
  zeros.UncompressedSize = static_cast<std::uint32_t>(kMebibytes) << 20;
  const std::string archive = TZipBuilder().Add(zeros).Build();
  ASSERT_LT(archive.size(), 2u << 20);
  WriteFileBytes(dir / "zeros.zip", archive);
  const std::size_t before = PeakMemoryBytes();
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "zeros.zip", dir / "Z"), 1);
  EXPECT_LT(PeakMemoryBytes() - before, kFlatMemory);
  EXPECT_EQ(fs::file_size(dir / "Z/zeros.bin"), std::uintmax_t{kMebibytes} << 20);
}

}  // namespace
}  // namespace bailan::test

// Extracting entries: where they land (and never outside the folder), what is
// replaced or kept, what is skipped, and the failures that end a run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/Cp936.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "support/ZipTestSupport.h"
#include "transport/zip/ZipExceptions.h"

namespace bailan::test {
namespace {

namespace fs = std::filesystem;

TZipBuilderEntry Entry(const std::string& name, const std::string& data, std::uint16_t method = 0) {
  TZipBuilderEntry entry;
  entry.Name = name;
  entry.Data = data;
  entry.Method = method;
  return entry;
}

bool HasWriteBits(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) != 0;
}

// --- where entries land ---------------------------------------------------

TEST(ZipExtract, PathsAreRecreatedWithEitherSeparator) {
  TTempDir dir;
  WriteFileBytes(dir / "a.zip", TZipBuilder()
                                    .AddFile("a.txt", "alpha")
                                    .AddFile("sub/b.txt", "beta", 8)
                                    .AddFile("sub\\c.txt", "gamma")
                                    .AddFile("empty/", "")
                                    .Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 4);
  EXPECT_EQ(ReadFileBytes(dir / "D/a.txt"), "alpha");
  EXPECT_EQ(ReadFileBytes(dir / "D/sub/b.txt"), "beta");
  EXPECT_EQ(ReadFileBytes(dir / "D/sub/c.txt"), "gamma");
  EXPECT_TRUE(fs::is_directory(dir / "D/empty"));
  EXPECT_TRUE(fs::is_empty(dir / "D/empty"));
}

TEST(ZipExtract, DestDirIsCreatedWithItsParents) {
  TTempDir dir;
  WriteFileBytes(dir / "a.zip", TZipBuilder().AddFile("a.txt", "alpha").Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "x/y/z/"), 1);
  EXPECT_EQ(ReadFileBytes(dir / "x/y/z/a.txt"), "alpha");
}

TEST(ZipExtract, AbsoluteAndDriveLetterPathsAreReRooted) {
  TTempDir dir;
  WriteFileBytes(dir / "a.zip", TZipBuilder()
                                    .AddFile("/abs/one.txt", "1")
                                    .AddFile("\\back\\two.txt", "2")
                                    .AddFile("C:\\drive\\three.txt", "3")
                                    .AddFile("C:rel\\four.txt", "4")
                                    .Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 4);
  EXPECT_EQ(ListFiles(dir / "D"),
            (std::vector<std::string>{"abs/one.txt", "back/two.txt", "drive/three.txt", "rel/four.txt"}));
}

TEST(ZipExtract, NoEntryEscapesTheFolder) {
  TTempDir dir;
  WriteFileBytes(dir / "a.zip", TZipBuilder()
                                    .AddFile("../up.txt", "x")
                                    .AddFile("sub/../../up2.txt", "x")
                                    .AddFile("..\\..\\up3.txt", "x")
                                    .AddFile("C:..\\up4.txt", "x")
                                    .AddFile("../", "")
                                    .AddFile("sub/..", "x")
                                    .AddFile(std::string("nul\0.txt", 8), "x")
                                    .AddFile("sub/../inside.txt", "in")
                                    .AddFile("./dot/./ok.txt", "ok")
                                    .Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "box/D"), 2);
  EXPECT_EQ(ListFiles(dir / "box"), (std::vector<std::string>{"D/dot/ok.txt", "D/inside.txt"}));
  EXPECT_EQ(ListFiles(dir.Path()),
            (std::vector<std::string>{"a.zip", "box/D/dot/ok.txt", "box/D/inside.txt"}));
}

TEST(ZipExtract, LinkEntriesBecomePlainFiles) {
  TTempDir dir;
  TZipBuilderEntry link = Entry("link", "/etc/passwd");
  link.VersionMadeBy = 0x0314;               // Unix
  link.ExternalAttributes = 0120777u << 16;  // a symbolic link's mode
  WriteFileBytes(dir / "a.zip", TZipBuilder().Add(link).Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 1);
  EXPECT_FALSE(fs::is_symlink(dir / "D/link"));
  EXPECT_EQ(ReadFileBytes(dir / "D/link"), "/etc/passwd");
}

TEST(ZipExtract, NamesInCp936AndUtf8) {
  TTempDir dir;
  TZipBuilderEntry flagged = Entry("中文\xF0\x9F\x98\x80.txt", "u");  // an emoji CP936 cannot hold
  flagged.Flags = 0x0800;
  WriteFileBytes(dir / "a.zip",
                 TZipBuilder()
                     .AddFile(Utf8ToCp936("目录/文件.txt"), "c")
                     .Add(flagged)
                     .AddFile("dir/\x81\x5C.txt", "lead")  // "乗": the lowest lead byte, then the byte of "\"
                     .Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 3);
  EXPECT_EQ(ReadFileBytes(dir / "D/目录/文件.txt"), "c");
  EXPECT_EQ(ReadFileBytes(dir / "D/dir/乗.txt"), "lead");
  EXPECT_EQ(ReadFileBytes(dir / "D/中文_.txt"), "u");
}

// --- replacing and keeping -------------------------------------------------

TEST(ZipExtract, ExistingFileIsReplaced) {
  TTempDir dir;
  fs::create_directories(dir / "D");
  WriteFileBytes(dir / "D/a.txt", "old and longer content");
  WriteFileBytes(dir / "a.zip", TZipBuilder().AddFile("a.txt", "new").Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 1);
  EXPECT_EQ(ReadFileBytes(dir / "D/a.txt"), "new");
}

TEST(ZipExtract, ReadOnlyFileIsKeptAndSkipped) {
  TTempDir dir;
  fs::create_directories(dir / "D");
  WriteFileBytes(dir / "D/a.txt", "keep me");
  ::chmod((dir / "D/a.txt").c_str(), 0444);  // root could still write it: the mode decides
  WriteFileBytes(dir / "a.zip", TZipBuilder().AddFile("a.txt", "new").AddFile("b.txt", "b").Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 1);
  EXPECT_EQ(ReadFileBytes(dir / "D/a.txt"), "keep me");
  EXPECT_EQ(ReadFileBytes(dir / "D/b.txt"), "b");

  TUnZipper unzipper;
  unzipper.ReplaceReadOnly = true;
  EXPECT_EQ(ExtractLikeTheInstaller(unzipper, dir / "a.zip", dir / "D"), 2);
  EXPECT_EQ(ReadFileBytes(dir / "D/a.txt"), "new");
}

TEST(ZipExtract, OverwriteModesOtherThanAlways) {
  TTempDir dir;
  fs::create_directories(dir / "D");
  WriteFileBytes(dir / "a.zip", TZipBuilder().AddFile("a.txt", "new").Build());  // dated 2025-01-01
  for (TUZOverwriteMode mode : {TUZOverwriteMode::Never, TUZOverwriteMode::Prompt, TUZOverwriteMode::ifNewer,
                                TUZOverwriteMode::ifOlder}) {
    WriteFileBytes(dir / "D/a.txt", "old");  // dated now: newer than the entry
    TUnZipper unzipper;
    unzipper.SetZipName(dir / "a.zip");
    unzipper.SetDestDir(dir / "D");
    unzipper.DoAll = true;
    unzipper.OverwriteMode = mode;
    int handled = unzipper.ExtractMarked();
    bool replaced = mode == TUZOverwriteMode::ifOlder;
    EXPECT_EQ(handled, replaced ? 1 : 0) << static_cast<int>(mode);
    EXPECT_EQ(ReadFileBytes(dir / "D/a.txt"), replaced ? "new" : "old") << static_cast<int>(mode);
  }
}

TEST(ZipExtract, FileNamedLikeAFolderIsSkipped) {
  TTempDir dir;
  fs::create_directories(dir / "D/a.txt");
  WriteFileBytes(dir / "a.zip", TZipBuilder().AddFile("a.txt", "x").AddFile("b.txt", "b").Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 1);
  EXPECT_TRUE(fs::is_directory(dir / "D/a.txt"));
}

// --- time stamps and attributes -------------------------------------------

// Permission bits of entries made on a Unix host, narrowed by the umask and
// never set-id or sticky; other hosts' entries keep the MS-DOS handling.
TEST(ZipExtract, UnixPermissionBitsAreApplied) {
  struct TCase {
    const char* Name;
    std::uint16_t MadeBy;
    std::uint32_t Attributes;
    mode_t Mode;
  };
  constexpr std::uint16_t kUnix = 0x031E, kDos = 0x0014;
  const TCase cases[] = {
      {"run", kUnix, 0100755u << 16, 0750},
      {"setid", kUnix, 0106755u << 16, 0750},
      {"sticky", kUnix, 0101777u << 16, 0750},
      {"private", kUnix, 0100600u << 16, 0600},
      {"readonly", kUnix, (0100444u << 16) | 0x01, 0440},
      {"nomode", kUnix, 0x01, 0440},          // no Unix bits given: the read-only attribute
      {"dos", kDos, (0100777u << 16), 0640},  // another host: its high bits mean nothing
  };
  TTempDir dir;
  TZipBuilder builder;
  for (const TCase& c : cases) {
    TZipBuilderEntry entry = Entry(c.Name, "#!/bin/sh\n");
    entry.VersionMadeBy = c.MadeBy;
    entry.ExternalAttributes = c.Attributes;
    builder.Add(entry);
  }
  WriteFileBytes(dir / "a.zip", builder.Build());
  const mode_t saved = ::umask(027);
  const int handled = ExtractLikeTheInstaller(dir / "a.zip", dir / "D");
  ::umask(saved);
  EXPECT_EQ(handled, static_cast<int>(std::size(cases)));
  for (const TCase& c : cases) {
    struct stat st {};
    ASSERT_EQ(::stat((dir / "D/" + c.Name).c_str(), &st), 0) << c.Name;
    EXPECT_EQ(st.st_mode & 07777, c.Mode) << c.Name;
  }
}

TEST(ZipExtract, TimeStampAndReadOnlyAttributeAreApplied) {
  TTempDir dir;
  TZipBuilderEntry stored = Entry("s.txt", "stored");
  stored.DosDate = static_cast<std::uint16_t>((24 << 9) | (2 << 5) | 29);    // 2004-02-29
  stored.DosTime = static_cast<std::uint16_t>((13 << 11) | (45 << 5) | 10);  // 13:45:20
  stored.ExternalAttributes = 0x01;                                          // read-only
  TZipBuilderEntry deflated = Entry("d.txt", std::string(10000, 'd'), 8);
  deflated.DosDate = stored.DosDate;
  deflated.DosTime = stored.DosTime;
  deflated.ExternalAttributes = 0x20;  // archive
  WriteFileBytes(dir / "a.zip", TZipBuilder().Add(stored).Add(deflated).Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 2);
  for (const char* name : {"D/s.txt", "D/d.txt"}) {
    TDateTime date;
    ASSERT_TRUE(GetFileDate(dir / name, date));
    EXPECT_EQ(FormatDateTime(kDateTimeFormat, date), "2004-02-29 13:45:20") << name;
  }
  EXPECT_FALSE(HasWriteBits(dir / "D/s.txt"));
  EXPECT_TRUE(HasWriteBits(dir / "D/d.txt"));

  TUnZipper unzipper;  // without RetainAttributes the file stays writable
  unzipper.SetZipName(dir / "a.zip");
  unzipper.SetDestDir(dir / "E");
  unzipper.DoAll = true;
  unzipper.RetainAttributes = false;
  unzipper.ExtractMarked();
  EXPECT_TRUE(HasWriteBits(dir / "E/s.txt"));
}

// --- entries that are skipped ----------------------------------------------

TEST(ZipExtract, BadCrcLeavesNoFileAndExtractionGoesOn) {
  TTempDir dir;
  TZipBuilderEntry bad = Entry("bad.txt", std::string(70000, 'x'), 8);
  bad.OverrideCrc = true;
  bad.Crc = 0x12345678;
  WriteFileBytes(dir / "a.zip", TZipBuilder().Add(bad).AddFile("good.txt", "good").Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 1);
  EXPECT_EQ(ListFiles(dir / "D"), std::vector<std::string>{"good.txt"});
}

TEST(ZipExtract, DataLongerOrShorterThanItsSizeLeavesNoFile) {
  TTempDir dir;
  TZipBuilderEntry longer = Entry("longer.txt", "0123456789");  // stored 10 bytes, declared 5
  longer.OverrideSize = true;
  longer.UncompressedSize = 5;
  longer.OverrideCrc = true;
  longer.Crc = 0xCBF53A1C;  // CRC-32 of "01234"
  TZipBuilderEntry inflatedLonger = Entry("inflated.txt", std::string(50000, 'i'), 8);
  inflatedLonger.OverrideSize = true;
  inflatedLonger.UncompressedSize = 100;
  TZipBuilderEntry shorter = Entry("shorter.txt", "abc");  // declared 3000: no zero-padded file
  shorter.OverrideSize = true;
  shorter.UncompressedSize = 3000;
  WriteFileBytes(dir / "a.zip", TZipBuilder().Add(longer).Add(inflatedLonger).Add(shorter).Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 0);
  EXPECT_TRUE(ListFiles(dir / "D").empty());
}

TEST(ZipExtract, EncryptedEntryIsSkippedSilently) {
  TTempDir dir;
  TZipBuilderEntry secret = Entry("locked/secret.txt", std::string(12, 'e') + "data");
  secret.Flags = 0x0001;
  auto notifier = std::make_shared<TRecordingUnzipNotifier>();
  WriteFileBytes(dir / "a.zip", TZipBuilder().Add(secret).AddFile("open.txt", "o").Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D", notifier), 1);
  EXPECT_TRUE(notifier->Notices.empty());
  EXPECT_TRUE(fs::is_directory(dir / "D/locked"));  // its folder is made all the same
  EXPECT_EQ(ListFiles(dir / "D"), std::vector<std::string>{"open.txt"});
}

TEST(ZipExtract, UnknownMethodIsNoticedAndLeavesNoFile) {
  TTempDir dir;
  fs::create_directories(dir / "D");
  WriteFileBytes(dir / "D/keep.bin", "existing");
  auto notifier = std::make_shared<TRecordingUnzipNotifier>();
  WriteFileBytes(dir / "a.zip", TZipBuilder()
                                    .Add(Entry("bz.bin", "BZh91AY&SY", 12))
                                    .Add(Entry("keep.bin", "xz data", 95))
                                    .AddFile("after.txt", "a")
                                    .Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D", notifier), 1);
  EXPECT_EQ(notifier->Notices, (std::vector<std::string>{"Zip Error|Unknown Compression Method",
                                                         "Zip Error|Unknown Compression Method"}));
  EXPECT_EQ(ListFiles(dir / "D"), (std::vector<std::string>{"after.txt", "keep.bin"}));
  EXPECT_EQ(ReadFileBytes(dir / "D/keep.bin"), "existing");
}

// --- failures that end the extraction ----------------------------------------

TEST(ZipExtract, TruncatedDataFailsAndRemovesTheHalfWrittenFile) {
  TTempDir dir;
  TZipBuilderEntry big = Entry("big.bin", std::string(100000, 'b'));
  big.OverrideCompressedSize = true;
  big.CompressedSize = 200000;  // more than the archive holds
  big.OverrideSize = true;
  big.UncompressedSize = 200000;
  WriteFileBytes(dir / "a.zip",
                 TZipBuilder().AddFile("first.txt", "1").Add(big).AddFile("last.txt", "l").Build());
  EXPECT_EQ(ExtractFailure<EFatalUnzipError>(dir / "a.zip", dir / "D"),
            "EFatalUnzipError: Premature end of file reached");
  EXPECT_EQ(ListFiles(dir / "D"), std::vector<std::string>{"first.txt"});
}

TEST(ZipExtract, InvalidDeflateStreamFails) {
  TTempDir dir;
  std::vector<std::size_t> offsets;
  std::size_t directory;
  std::string archive = TZipBuilder()
                            .AddFile("first.txt", "1")
                            .AddFile("broken.bin", std::string(1000, 'z'), 8)
                            .Build(offsets, directory);
  archive[offsets[1] + 30 + 10] = '\xff';  // the first deflate block gets the reserved type 3
  WriteFileBytes(dir / "a.zip", archive);
  EXPECT_EQ(ExtractFailure<EZCompressionError>(dir / "a.zip", dir / "D"), "EZCompressionError: error");
  EXPECT_EQ(ListFiles(dir / "D"), std::vector<std::string>{"first.txt"});
}

// --- damaged data of every method never crashes ------------------------------

TEST(ZipExtract, DamagedArchivesFailCleanly) {
  const std::string data = std::string(BAILAN_TEST_DATA_DIR) + "/zip/";
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  for (const char* name :
       {"sc-Zip.shrink.zip", "sc-Zip.reduce1.zip", "sc-Zip.reduce4.zip", "sc-Zip.implode.zip",
        "cc-imploding-4Kdict-2trees.zip", "sc-Zip.deflate.zip", "sc-Zip.zip64.zip"}) {
    std::string original = ReadFileBytes(data + name);
    for (int round = 0; round < 12; ++round) {
      std::string damaged = original;
      for (int i = 0; i < 1 + round; ++i)
        damaged[next() % damaged.size()] ^= static_cast<char>(1 + next() % 255);
      TTempDir dir;
      WriteFileBytes(dir / "d.zip", damaged);
      try {
        ExtractLikeTheInstaller(dir / "d.zip", dir / "D");
      } catch (const Exception&) {
        // a clear failure is fine; a crash or another exception is not
      }
      fs::path box = fs::path(dir.Path());
      for (const auto& item : fs::recursive_directory_iterator(box)) {
        EXPECT_FALSE(fs::is_symlink(item.path()));
      }
    }
  }
}

}  // namespace
}  // namespace bailan::test

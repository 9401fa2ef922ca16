// Finding and reading an archive's directory: empty and foreign files, long
// comments, multi-part sets, damaged directories and the recovery scan, the
// ".zfc" companion, and the object's state around it.
#include <gtest/gtest.h>

#include "platform/Cp936.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "support/ZipTestSupport.h"
#include "transport/zip/ZipDosTime.h"
#include "transport/zip/ZipExceptions.h"

#include <filesystem>

namespace bailan::test {
namespace {

template <typename Error>
std::string ReadDirectoryFailure(TUnZipper& unzipper) {
  try {
    unzipper.ReadDirectory();
  } catch (const Error& error) {
    return error.Message();
  }
  return "no failure";
}

TEST(ZipDirectory, ZeroByteArchiveIsEmpty) {
  TTempDir dir;
  WriteFileBytes(dir / "empty.zip", "");
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "empty.zip", dir / "out"), 0);
}

TEST(ZipDirectory, FileWithoutEndRecordIsIncomplete) {
  TTempDir dir;
  WriteFileBytes(dir / "page.zip", "<html><body>404 Not Found</body></html>\n");
  WriteFileBytes(dir / "tiny.zip", "PK\x05\x06");
  for (const char* name : {"page.zip", "tiny.zip"}) {
    TUnZipper unzipper;
    unzipper.SetZipName(dir / name);
    unzipper.DoAll = true;
    EXPECT_NO_THROW(unzipper.ReadDirectory());  // not a failure of reading the directory
    EXPECT_FALSE(unzipper.DirectoryRead());
    EXPECT_EQ(ExtractFailure<EIncompleteZip>(dir / name, dir / "out"), "EIncompleteZip: Incomplete Zip File");
  }
}

TEST(ZipDirectory, MissingArchiveFailsToOpen) {
  TTempDir dir;
  TUnZipper unzipper;
  unzipper.SetZipName(dir / "absent.zip");
  EXPECT_EQ(ReadDirectoryFailure<EFOpenError>(unzipper),
            "Cannot open file \"" + (dir / "absent.zip") + "\". " + MissingFileText());
  EXPECT_FALSE(unzipper.IsBusy());
}

TEST(ZipDirectory, EndRecordFoundBehindTheLongestComment) {
  TTempDir dir;
  std::string comment(65535, 'c');
  comment.replace(100, 4, "PK\x01\x02");  // signature-like bytes in the comment do no harm
  WriteFileBytes(dir / "c.zip", TZipBuilder().AddFile("a.txt", "alpha").Comment(comment).Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "c.zip", dir / "out"), 1);
  EXPECT_EQ(ReadFileBytes(dir / "out/a.txt"), "alpha");
}

TEST(ZipDirectory, MultiPartSetIsIncomplete) {
  TTempDir dir;
  WriteFileBytes(dir / "part.zip", TZipBuilder().AddFile("a.txt", "alpha").Disks(1, 1).Build());
  WriteFileBytes(dir / "part2.zip", TZipBuilder().AddFile("a.txt", "alpha").Disks(0, 1).Build());
  EXPECT_EQ(ExtractFailure<EIncompleteZip>(dir / "part.zip", dir / "out"),
            "EIncompleteZip: Incomplete Zip File");
  EXPECT_EQ(ExtractFailure<EIncompleteZip>(dir / "part2.zip", dir / "out"),
            "EIncompleteZip: Incomplete Zip File");
  EXPECT_FALSE(std::filesystem::exists(dir / "out/a.txt"));
}

// An archive whose end record points at no central header.
std::string WithBrokenDirectoryOffset(std::string archive) {
  std::size_t offsetField = archive.size() - 22 + 16;
  archive[offsetField] = 0x01;
  archive[offsetField + 1] = 0x00;
  archive[offsetField + 2] = 0x00;
  archive[offsetField + 3] = 0x00;
  archive[archive.size() - 22 + 12] = 0x7F;  // and a size that does not lead to it either
  return archive;
}

TEST(ZipDirectory, DamagedDirectoryIsRebuiltFromLocalHeaders) {
  TTempDir dir;
  std::string archive =
      TZipBuilder().AddFile("a.txt", "alpha").AddFile("sub/b.txt", std::string(5000, 'b'), 8).Build();
  WriteFileBytes(dir / "d.zip", WithBrokenDirectoryOffset(archive));
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "d.zip", dir / "out"), 2);
  EXPECT_EQ(ReadFileBytes(dir / "out/a.txt"), "alpha");
  EXPECT_EQ(ReadFileBytes(dir / "out/sub/b.txt"), std::string(5000, 'b'));
}

TEST(ZipDirectory, DirectoryDisplacedByPrependedDataIsFound) {
  TTempDir dir;
  std::string archive = TZipBuilder().AddFile("a.txt", "alpha").AddFile("b.txt", "beta", 8).Build();
  WriteFileBytes(dir / "p.zip", std::string(1000, 'x') + archive);  // a stub before the archive
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "p.zip", dir / "out"), 2);
  EXPECT_EQ(ReadFileBytes(dir / "out/b.txt"), "beta");
}

TEST(ZipDirectory, RecoveryScanOfSelfExtractorStartsPastItsStub) {
  TTempDir dir;
  // A stub holding something that looks like a local header, then the archive.
  std::string stub = TZipBuilder().AddFile("stub.txt", "from the stub").Build();
  stub.resize(14000, '\0');
  std::string archive = WithBrokenDirectoryOffset(TZipBuilder().AddFile("real.txt", "real").Build());
  WriteFileBytes(dir / "SETUP.Exe", stub + archive);
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "SETUP.Exe", dir / "exe"), 1);
  EXPECT_EQ(ListFiles(dir / "exe"), std::vector<std::string>{"real.txt"});
  // Under another name the scan starts at the beginning and finds the stub's entry first.
  WriteFileBytes(dir / "setup.zip", stub + archive);
  ExtractLikeTheInstaller(dir / "setup.zip", dir / "zip");
  EXPECT_EQ(ReadFileBytes(dir / "zip/stub.txt"), "from the stub");
}

TEST(ZipDirectory, NothingFoundByTheRecoveryScanIsNotAZipFile) {
  TTempDir dir;
  std::string junk(200, 'j');
  std::string end("PK\x05\x06\0\0\0\0\x01\0\x01\0\x2E\0\0\0\x05\0\0\0\0\0", 22);
  WriteFileBytes(dir / "bad.zip", junk + end);
  TUnZipper unzipper;
  unzipper.SetZipName(dir / "bad.zip");
  EXPECT_EQ(ReadDirectoryFailure<EBadZipFile>(unzipper), "Not a valid zip file!");
  EXPECT_FALSE(unzipper.DirectoryRead());
  EXPECT_FALSE(unzipper.IsBusy());
}

TEST(ZipDirectory, CompanionFileSuppliesAMissingDirectory) {
  TTempDir dir;
  std::vector<std::size_t> offsets;
  std::size_t directory;
  std::string full =
      TZipBuilder().AddFile("a.txt", "alpha").AddFile("b.txt", "beta").Build(offsets, directory);
  std::string companion = full.substr(directory);
  for (int i = 0; i < 4; ++i) companion[companion.size() - 22 + 16 + i] = 0;  // directory at its start
  WriteFileBytes(dir / "set.zip", full.substr(0, directory));
  WriteFileBytes(dir / "set.zfc", companion);
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "set.zip", dir / "out"), 2);
  EXPECT_EQ(ReadFileBytes(dir / "out/b.txt"), "beta");
}

TEST(ZipDirectory, SanitisedDosDateAndTime) {
  TTempDir dir;
  TZipBuilder builder;
  TZipBuilderEntry entry;
  entry.Name = "t.txt";
  entry.Data = "t";
  entry.DosDate = static_cast<std::uint16_t>((45 << 9) | (13 << 5) | 0);    // 2025, month 13, day 0
  entry.DosTime = static_cast<std::uint16_t>((25 << 11) | (61 << 5) | 31);  // 25:61:62
  builder.Add(entry);
  WriteFileBytes(dir / "t.zip", builder.Build());
  TUnZipper unzipper;
  unzipper.SetZipName(dir / "t.zip");
  unzipper.ReadDirectory();
  ASSERT_EQ(unzipper.Entries().size(), 1u);
  const TZipEntry& read = unzipper.Entries()[0];
  EXPECT_EQ(read.DosDate, (45 << 9) | (12 << 5) | 1);
  EXPECT_EQ(read.DosTime, (23 << 11) | (59 << 5) | 29);
  ASSERT_EQ(ExtractLikeTheInstaller(dir / "t.zip", dir / "out"), 1);
  TDateTime date;
  ASSERT_TRUE(GetFileDate(dir / "out/t.txt", date));
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, date), "2025-12-01 23:59:58");
}

TEST(ZipDirectory, YearsAfter2099AreClamped) {
  std::uint16_t date = static_cast<std::uint16_t>((127 << 9) | (6 << 5) | 15), time = 0;
  SanitiseDosDateTime(date, time);
  EXPECT_EQ(date >> 9, 119);
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, DosDateTimeToDateTime(date, time)), "2099-06-15 00:00:00");
}

TEST(ZipDirectory, ZipNameChangeDropsTheDirectory) {
  TTempDir dir;
  WriteFileBytes(dir / "a.zip", TZipBuilder().AddFile("a.txt", "alpha").Build());
  TUnZipper unzipper;
  unzipper.SetZipName(dir / "a.zip");
  unzipper.ReadDirectory();
  ASSERT_TRUE(unzipper.DirectoryRead());
  unzipper.SetZipName(dir / "A.ZIP");  // the same name but for case
  EXPECT_TRUE(unzipper.DirectoryRead());
  unzipper.SetZipName(dir / "b.zip");
  EXPECT_FALSE(unzipper.DirectoryRead());
  EXPECT_TRUE(unzipper.Entries().empty());
}

TEST(ZipDirectory, DefaultsAndDestDirSeparator) {
  TUnZipper unzipper;
  EXPECT_FALSE(unzipper.DoAll);
  EXPECT_FALSE(unzipper.RecreateDirs);
  EXPECT_TRUE(unzipper.RetainAttributes);
  EXPECT_EQ(unzipper.OverwriteMode, TUZOverwriteMode::Prompt);
  EXPECT_FALSE(unzipper.ReplaceReadOnly);
  EXPECT_EQ(unzipper.SortMode, TUZSortMode::ByNone);
  EXPECT_EQ(unzipper.IncompleteZipMode, TIncompleteZipMode::izAssumeMulti);
  EXPECT_EQ(unzipper.OEMConvert, TOEMConvert::oemAlways);
  EXPECT_FALSE(unzipper.KeepZipOpen);
  EXPECT_TRUE(unzipper.DoProcessMessages);
  EXPECT_FALSE(unzipper.IsBusy());
  unzipper.SetDestDir(std::string("x") + PathDelim + "y" + PathDelim);
  EXPECT_EQ(unzipper.DestDir(), std::string("x") + PathDelim + "y");
}

TEST(ZipDirectory, ChangedArchiveIsReadAgainBeforeExtracting) {
  TTempDir dir;
  WriteFileBytes(dir / "a.zip", TZipBuilder().AddFile("one.txt", "1").Build());
  TUnZipper unzipper;
  unzipper.SetZipName(dir / "a.zip");
  unzipper.SetDestDir(dir / "out");
  unzipper.DoAll = true;
  unzipper.ReadDirectory();
  WriteFileBytes(dir / "a.zip", TZipBuilder().AddFile("one.txt", "1").AddFile("two.txt", "2").Build());
  TDateTime later;
  GetFileDate(dir / "a.zip", later);
  later.Value += 1.0;  // a day later
  SetFileDate(dir / "a.zip", later);
  EXPECT_EQ(unzipper.ExtractMarked(), 2);
}

TEST(ZipDirectory, NothingMarkedWithoutDoAll) {
  TTempDir dir;
  WriteFileBytes(dir / "a.zip", TZipBuilder().AddFile("one.txt", "1").Build());
  TUnZipper unzipper;
  unzipper.SetZipName(dir / "a.zip");
  unzipper.SetDestDir(dir / "out");
  EXPECT_EQ(unzipper.ExtractMarked(), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "out/one.txt"));
}

}  // namespace
}  // namespace bailan::test

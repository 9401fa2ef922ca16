#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "platform/Cp936.h"
#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/HostSystem.h"
#include "platform/Path.h"
#include "support/Environment.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

TEST(File, CreateReplacesAndSharedHandlesWriteTheirOwnRanges) {
  TTempDir dir;
  const std::string path = dir / "data.rpc";
  WriteFileBytes(path, "old contents that must go");
  {
    TFile file = TFile::Create(path, TShareMode::Exclusive);
    file.SetSize(10);
  }
  EXPECT_EQ(ReadFileBytes(path), std::string(10, '\0'));

  TFile a = TFile::Open(path, TAccess::Write, TShareMode::ReadWrite);
  TFile b = TFile::Open(path, TAccess::Write, TShareMode::ReadWrite);
  a.Seek(0);
  b.Seek(5);
  a.Write("AAAAA", 5);
  b.Write("BBBBB", 5);
  EXPECT_EQ(a.Position(), 5);
  EXPECT_EQ(b.Position(), 10);
  EXPECT_EQ(ReadFileBytes(path), "AAAAABBBBB");
  EXPECT_EQ(a.Size(), 10);
}

TEST(File, FailuresNameTheFile) {
  TTempDir dir;
  try {
    TFile::Open(dir / "missing", TAccess::Read, TShareMode::Exclusive);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& error) {
    EXPECT_EQ(error.Message().rfind("Cannot open file \"" + (dir / "missing") + "\". ", 0), 0u)
        << error.Message();
    EXPECT_STREQ(error.ClassName(), "EFOpenError");
  }
  EXPECT_THROW(TFile::Create(dir / "no/such/folder/x", TShareMode::Exclusive), EFCreateError);
  EXPECT_THROW(TFile::Open(dir.Path(), TAccess::Write, TShareMode::ReadWrite), EFOpenError);
}

TEST(File, ReadReturnsZeroAtTheEnd) {
  TTempDir dir;
  WriteFileBytes(dir / "f", "abc");
  TFile file = TFile::Open(dir / "f", TAccess::Read, TShareMode::Exclusive);
  char buffer[8];
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 3u);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
}

TEST(FileSystem, ChineseNamesReachTheDiskAsUtf8) {
  TTempDir dir;
  const std::string folder = Utf8ToCp936(dir / "柏岚软件/子目录");
  ASSERT_TRUE(ForceDirectories(folder));
  EXPECT_TRUE(DirectoryExists(Utf8ToCp936(dir / "柏岚软件")));
  const std::string file = folder + "/" + Utf8ToCp936("安装.zip");
  { TFile::Create(file, TShareMode::Exclusive).Write("x", 1); }
  EXPECT_EQ(ReadFileBytes(dir / "柏岚软件/子目录/安装.zip"), "x");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(folder));  // a folder is not a file
}

TEST(FileSystem, RenameNeverReplaces) {
  TTempDir dir;
  WriteFileBytes(dir / "a", "a");
  WriteFileBytes(dir / "b", "b");
  std::string reason;
  EXPECT_FALSE(RenameFile(dir / "a", dir / "b", &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(ReadFileBytes(dir / "b"), "b");
  EXPECT_TRUE(RenameFile(dir / "a", dir / "c"));
  EXPECT_FALSE(FileExists(dir / "a"));
  EXPECT_EQ(ReadFileBytes(dir / "c"), "a");
}

TEST(FileSystem, DeleteRefusesFoldersAndMissingFiles) {
  TTempDir dir;
  EXPECT_FALSE(DeleteFile(dir / "missing"));
  EXPECT_FALSE(DeleteFile(dir.Path()));
  WriteFileBytes(dir / "f", "");
  EXPECT_TRUE(DeleteFile(dir / "f"));
}

TEST(FileSystem, ForceDirectoriesFailsBelowAFile) {
  TTempDir dir;
  WriteFileBytes(dir / "file", "");
  EXPECT_FALSE(ForceDirectories(dir / "file/sub"));
  EXPECT_TRUE(ForceDirectories(dir / "x/y/z/"));
  EXPECT_TRUE(DirectoryExists(dir / "x/y/z"));
}

TEST(FileSystem, DeepFoldersAreMadeLevelByLevelWithinThePlatformLimits) {
  if (kWindowsHost)
    GTEST_SKIP() << "Windows paths end at MAX_PATH (259 UTF-16 units): HostFileRules tests that limit";
  TTempDir dir;
  std::string deep = dir / "d";
  for (int i = 0; i < 1500; ++i) deep += "/d";
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  std::string tooDeep = dir / "t";
  for (int i = 0; i < 40000; ++i) tooDeep += "/t";
  EXPECT_FALSE(ForceDirectories(tooDeep));
  EXPECT_FALSE(DirectoryExists(dir / "t"));  // refused before any level was made
}

// Limits count the host's bytes: a CP936 Chinese character takes three in UTF-8.
TEST(FileSystem, CreatablePathsStayWithinThePlatformLimits) {
  if (kWindowsHost)
    GTEST_SKIP() << "Windows paths end at MAX_PATH (259 UTF-16 units): HostFileRules tests that limit";
  const std::string chinese = Utf8ToCp936("柏");
  auto repeat = [](const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += text;
    return out;
  };
  std::string path4095;
  while (path4095.size() + 101 <= 4095) path4095 += "/" + std::string(100, 'a');
  path4095 += "/" + std::string(4095 - path4095.size() - 1, 'b');
  ASSERT_EQ(path4095.size(), 4095u);
  struct TCase {
    std::string Path;
    bool Creatable;
  };
  const TCase cases[] = {
      {path4095, true},
      {path4095 + "c", false},
      {"/x/" + std::string(255, 'n'), true},
      {"/x/" + std::string(256, 'n') + "/y", false},
      {"/x/" + repeat(chinese, 85), true},
      {"/x/" + repeat(chinese, 86), false},
  };
  for (const TCase& c : cases) EXPECT_EQ(IsCreatablePath(c.Path), c.Creatable) << c.Path.size();
}

TEST(FileSystem, ReadOnlyIsTheAbsenceOfWriteBits) {
  TTempDir dir;
  const std::string path = dir / "f";
  WriteFileBytes(path, "");
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  EXPECT_EQ(FileGetAttr(path) & faReadOnly, 0);
  ASSERT_TRUE(FileSetAttr(path, faReadOnly | faArchive));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
  EXPECT_NE(FileGetAttr(path) & faReadOnly, 0);
  ASSERT_TRUE(FileSetAttr(path, faArchive));
  EXPECT_EQ(FileGetAttr(path) & faReadOnly, 0);
  EXPECT_EQ(FileGetAttr(dir / "missing"), -1);
  EXPECT_NE(FileGetAttr(dir.Path()) & faDirectory, 0);
}

TEST(FileSystem, FileDatesAreLocalTime) {
  TTempDir dir;
  const std::string path = dir / "f";
  WriteFileBytes(path, "");
  TDateTime stamp = TDateTime::FromParts(2001, 2, 3, 4, 5, 6);
  ASSERT_TRUE(SetFileDate(path, stamp));
  TDateTime read;
  ASSERT_TRUE(GetFileDate(path, read));
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, read), "2001-02-03 04:05:06");
}

TEST(FileSystem, ModesAndTimesAreNeverSetThroughALink) {
  if (kWindowsHost) GTEST_SKIP() << "symbolic links need a privilege on Windows";
  TTempDir dir;
  const std::string target = dir / "target", link = dir / "link";
  WriteFileBytes(target, "");
  ASSERT_EQ(::chmod(target.c_str(), 0644), 0);
  ASSERT_TRUE(SetFileDate(target, TDateTime::FromParts(2001, 2, 3, 4, 5, 6)));
  std::filesystem::create_symlink(test::FsPath(target), test::FsPath(link));
  EXPECT_TRUE(IsLink(link));
  EXPECT_FALSE(IsLink(target));
  EXPECT_FALSE(FileSetPermissions(link, 0777));
  EXPECT_FALSE(FileSetAttr(link, faReadOnly));
  SetFileDate(link, TDateTime::FromParts(2020, 1, 1, 0, 0, 0));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  TDateTime read;
  ASSERT_TRUE(GetFileDate(target, read));
  EXPECT_EQ(FormatDateTime(kDateTimeFormat, read), "2001-02-03 04:05:06");
}

TEST(FileSystem, TempDirectoryFollowsTheEnvironment) {
  const char* saved = std::getenv("TEMP");
  std::string savedValue = saved ? saved : "";
  test::SetEnvironment("TEMP", "/var/tmp/x");
  EXPECT_EQ(TempDirectory(), "/var/tmp/x");
  test::SetEnvironment("TEMP", nullptr);
  if (kWindowsHost) {
    EXPECT_FALSE(TempDirectory().empty());  // the system's own folder for temporary files
  } else {
    const char* tmpdir = std::getenv("TMPDIR");
    EXPECT_EQ(TempDirectory(), tmpdir && *tmpdir ? std::string(tmpdir) : std::string("/tmp"));
  }
  if (saved) test::SetEnvironment("TEMP", savedValue.c_str());
}

TEST(Path, PartsOfAPath) {
  // Written with "/", spelt with the host's PathDelim.
  const auto P = [](std::string path) {
    std::replace(path.begin(), path.end(), '/', PathDelim);
    return path;
  };
  EXPECT_EQ(ExtractFileName(P("/a/b/setup.zip")), "setup.zip");
  EXPECT_EQ(ExtractFilePath(P("/a/b/setup.zip")), P("/a/b/"));
  EXPECT_EQ(ExtractFileExt(P("/a/b/setup.zip")), ".zip");
  EXPECT_EQ(ExtractFileExt(P("/a/b.d/data")), "");  // a dot in a folder is not an extension
  EXPECT_EQ(ExtractFileExt(P("/a/archive.tar.gz")), ".gz");
  EXPECT_EQ(IncludeTrailingPathDelimiter(P("/a")), P("/a/"));
  EXPECT_EQ(IncludeTrailingPathDelimiter(P("/a/")), P("/a/"));
  EXPECT_EQ(IncludeTrailingPathDelimiter(P("")), P("/"));
  EXPECT_EQ(ExcludeTrailingPathDelimiter(P("/a//")), P("/a"));
}

}  // namespace
}  // namespace bailan

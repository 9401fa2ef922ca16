// What the host makes different about files: sharing modes and renames of open
// files are real on Windows and absent on Linux; paths with "\" as trail byte.
#include <gtest/gtest.h>

#include "platform/Cp936.h"
#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/HostSystem.h"
#include "platform/Path.h"
#include "support/Host.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

using test::TTempDir;
using test::WriteFileBytes;

TEST(HostFileRules, WindowsTestsRunWithTheAnsiCodePage936) {
  if (!kWindowsHost) GTEST_SKIP() << "Linux has no ANSI code page";
  EXPECT_EQ(test::AnsiCodePage(), 936u)
      << "the Windows tests need the ANSI code page 936: generate the zh_CN.UTF-8 locale "
         "(localedef -i zh_CN -f UTF-8 zh_CN.UTF-8) and run Wine with LANG=zh_CN.UTF-8, as "
         "scripts/test.sh mingw does";
}

TEST(HostFileRules, SharingModesBindOnlyOnWindows) {
  struct TCase {
    TShareMode First;
    TAccess SecondAccess;
    TShareMode SecondShare;
    bool OpensOnWindows;
  };
  const TCase cases[] = {
      {TShareMode::Exclusive, TAccess::Read, TShareMode::ReadWrite, false},
      {TShareMode::DenyWrite, TAccess::Read, TShareMode::ReadWrite, true},  // the archive while extracting
      {TShareMode::DenyWrite, TAccess::Write, TShareMode::ReadWrite, false},
      {TShareMode::ReadWrite, TAccess::Write, TShareMode::ReadWrite, true},  // two segment threads
      {TShareMode::ReadWrite, TAccess::Read, TShareMode::Exclusive, false},
  };
  TTempDir dir;
  const std::string path = dir / "shared.bin";
  WriteFileBytes(path, "0123456789");
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(&c - cases));
    TFile first = TFile::Open(path, TAccess::Read, c.First);
    bool opened = true;
    try {
      TFile second = TFile::Open(path, c.SecondAccess, c.SecondShare);
    } catch (const EFOpenError&) {
      opened = false;
    }
    EXPECT_EQ(opened, kWindowsHost ? c.OpensOnWindows : true);
  }
}

TEST(HostFileRules, RenameOfAnOpenFileWaitsForItsHandlesOnWindows) {
  TTempDir dir;
  const std::string partial = dir / "setup.zip.rpc";
  TFile segment = TFile::Create(partial, TShareMode::ReadWrite);
  std::string reason;
  EXPECT_EQ(RenameFile(partial, dir / "setup.zip", &reason), !kWindowsHost) << reason;
  if (kWindowsHost) {
    EXPECT_FALSE(reason.empty());
    segment.Close();
    EXPECT_TRUE(RenameFile(partial, dir / "setup.zip", &reason)) << reason;
  }
  EXPECT_TRUE(FileExists(dir / "setup.zip"));
}

// Windows counts UTF-16 units: MAX_PATH with the NUL for a path, 255 for a name.
TEST(HostFileRules, WindowsPathLimitsCountUtf16Units) {
  if (!kWindowsHost) GTEST_SKIP() << "Linux's limits are tested in FileSystem";
  const std::string chinese = Cp("柏");  // two CP936 bytes, one UTF-16 unit
  std::string name254;
  for (int i = 0; i < 254; ++i) name254 += chinese;
  const std::string name255 = name254 + chinese;
  EXPECT_TRUE(IsCreatablePath("C:\\x\\" + name254));  // 259 units
  EXPECT_TRUE(IsCreatablePath("C:\\" + name255));
  EXPECT_FALSE(IsCreatablePath("C:\\" + name255 + chinese));
  EXPECT_FALSE(IsCreatablePath("C:\\x\\y\\" + name255));
}

TEST(HostFileRules, FoldersWithBackslashTrailBytes) {
  // "\x95\x5C" is one character whose trail byte is "\".
  const std::string product = Cp("柏岚软件") + "\x95\x5C";
  const std::string file = std::string("D:") + PathDelim + product + PathDelim + "setup.zip";
  EXPECT_EQ(ExtractFileName(file), "setup.zip");
  EXPECT_EQ(ExtractFilePath(file), std::string("D:") + PathDelim + product + PathDelim);
  EXPECT_EQ(ExtractFileName(ExcludeTrailingPathDelimiter(ExtractFilePath(file))), product);

  TTempDir dir;
  const std::string folder = Utf8ToCp936(dir.Path()) + PathDelim + product + PathDelim + "sub";
  ASSERT_TRUE(ForceDirectories(folder));
  EXPECT_TRUE(DirectoryExists(folder));
  EXPECT_TRUE(std::filesystem::is_directory(test::FsPath(dir / (Cp936ToUtf8(product) + "/sub"))));
}

TEST(HostFileRules, NamesThatCannotBeCreatedAsTheyStand) {
  struct {
    std::string Name;
    bool OnLinux, OnWindows;
  } cases[] = {
      {"setup.zip", true, true},
      {Cp("柏岚软件"), true, true},
      {"", false, false},
      {".", false, false},
      {"..", false, false},
      {"a/b", false, false},
      {"NUL", true, false},
      {"nul", true, false},
      {"Con.txt", true, false},
      {"AUX.tar.gz", true, false},
      {"prn", true, false},
      {"COM1", true, false},
      {"com9.zip", true, false},
      {"LPT1", true, false},
      {"lpt9", true, false},
      {"NUL .txt", true, false},
      {"CONOUT$", true, false},
      {"COM0", true, true},
      {"COM10", true, true},
      {"LPT", true, true},
      {"NULL", true, true},
      {"CONSOLE", true, true},
      {"x.NUL", true, true},
      {"dot.", true, false},
      {"space ", true, false},
      {"a\\b", true, false},
      {"a:b", true, false},
      {"a|b", true, false},
      {"a*b", true, false},
      {"tab\tname", true, false},
      // 0xB1 0x5C: "\" as a trail byte is no separator.
      {Cp("盶"), true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsCreatableName(c.Name), kWindowsHost ? c.OnWindows : c.OnLinux) << c.Name;
  }
}

TEST(HostFileRules, TwoNamesTheHostTakesForOneHaveOneKey) {
  struct {
    std::string A, B;
    bool SameOnLinux, SameOnWindows;
  } cases[] = {
      {"D/p/setup.zip", "D/p/setup.zip", true, true},
      {"D/p/setup.zip", "D/p/SETUP.ZIP", false, true},
      {"D/p/setup.zip", "D//p/setup.zip", true, true},
      {"D/p/setup.zip", "D\\p\\setup.zip", false, true},
      {"D/p/setup.zip", "D/p/setup.zi", false, false},
      // Two bytes that are no CP936 character both become one replacement character.
      {"D/p/a\xFF", "D/p/a\x81", true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HostNameKey(c.A) == HostNameKey(c.B), kWindowsHost ? c.SameOnWindows : c.SameOnLinux)
        << c.A << " " << c.B;
  }
}

}  // namespace
}  // namespace bailan

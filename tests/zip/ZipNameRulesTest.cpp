// Entries whose names the host cannot create as they stand, or that could pass
// for a job's state, are skipped; extraction never follows a link below the
// destination folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/HostSystem.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "support/ZipTestSupport.h"

namespace bailan::test {
namespace {

namespace fs = std::filesystem;

// The files under `folder`, relative, with "/" between names, sorted.
std::vector<std::string> FilesUnder(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(FsPath(folder))) {
    if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), FsPath(folder)).generic_string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(ZipNameRules, DeviceNamesOnWindowsAndJobStateNamesEverywhereAreSkipped) {
  struct {
    const char* Name;
    bool OnLinux, OnWindows;
  } cases[] = {
      {"ok.txt", true, true},
      {"NUL", true, false},
      {"con.txt", true, false},
      {"Aux.tar.gz", true, false},
      {"COM1", true, false},
      {"lpt9.log", true, false},
      {"nul .txt", true, false},
      {"COM10", true, true},
      {"CONSOLE", true, true},
      {"dot.", true, false},
      {"space ", true, false},
      {"dir./in.txt", true, false},
      {"prn/in.txt", true, false},
      {"a:b", true, false},
      {"x.rpc", false, false},
      {"V.ZIP.RPC.CFG", false, false},
      {"s.rpc.cfg.tmp", false, false},
      {"x.rpc/in.txt", false, false},
      {"rpc", true, true},
      {"a.rpcx", true, true},
  };
  TTempDir dir;
  TZipBuilder builder;
  std::vector<std::string> expected;
  for (const auto& c : cases) {
    builder.AddFile(c.Name, c.Name);
    if (kWindowsHost ? c.OnWindows : c.OnLinux) expected.push_back(c.Name);
  }
  std::sort(expected.begin(), expected.end());
  WriteFileBytes(dir / "a.zip", builder.Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), static_cast<int>(expected.size()));
  EXPECT_EQ(FilesUnder(dir / "D"), expected);
}

TEST(ZipNameRules, LinksBelowTheDestinationAreNeverFollowed) {
  if (kWindowsHost) GTEST_SKIP() << "symbolic links need a privilege on Windows";
  TTempDir dir;
  fs::create_directories(FsPath(dir / "outside"));
  fs::create_directories(FsPath(dir / "D/real"));
  WriteFileBytes(dir / "outside/victim", "keep");
  fs::create_directory_symlink(FsPath(dir / "outside"), FsPath(dir / "D/sub"));
  fs::create_directory_symlink(FsPath(dir / "outside"), FsPath(dir / "D/real/deeper"));
  fs::create_symlink(FsPath(dir / "outside/victim"), FsPath(dir / "D/BL.exe"));
  WriteFileBytes(dir / "a.zip", TZipBuilder()
                                    .AddFile("sub/planted.txt", "x")
                                    .AddFile("sub/new/planted.txt", "x")
                                    .AddFile("real/deeper/planted.txt", "x")
                                    .AddFile("BL.exe", "program")
                                    .AddFile("real/ok.txt", "ok")
                                    .Build());
  EXPECT_EQ(ExtractLikeTheInstaller(dir / "a.zip", dir / "D"), 1);
  EXPECT_EQ(FilesUnder(dir / "outside"), std::vector<std::string>{"victim"});
  EXPECT_EQ(ReadFileBytes(dir / "outside/victim"), "keep");
  EXPECT_EQ(ReadFileBytes(dir / "D/real/ok.txt"), "ok");
}

}  // namespace
}  // namespace bailan::test

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/HostSystem.h"
#include "platform/Launcher.h"
#include "support/Environment.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLinuxOnly = "Linux's launcher does what the batch file would: Windows runs it";

// The file `name` in `dir` once it holds at least `size` bytes (at most 5 s).
std::string WaitForFile(const test::TTempDir& dir, const std::string& name, std::size_t size) {
  auto bytes = [&] { return fs::exists(test::FsPath(dir / name)) ? test::ReadFileBytes(dir / name) : ""; };
  for (int i = 0; i < 100 && bytes().size() < size; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return bytes();
}

// The product's program is started directly when it is executable, through the
// "wine" found on PATH when it is not, and not at all without one; the batch
// file goes in every case. The stand-in "wine" and the program each write who
// ran, where and with which arguments.
TEST(Launcher, StartsAnExecutableDirectlyAndAnyOtherThroughWine) {
  if (kWindowsHost) GTEST_SKIP() << kLinuxOnly;
  const struct {
    const char* What;
    bool Executable;
    bool WineOnPath;
    bool Started;
    const char* Proof;  // after the folder's path
  } cases[] = {
      {"executable, no wine", true, false, true, "\nprogram 0\n"},
      {"executable beside wine", true, true, true, "\nprogram 0\n"},
      {"not executable, wine", false, true, true, "\nwine 1 BL.exe\n"},
      {"not executable, no wine", false, false, false, ""},
  };
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    test::TTempDir dir, tools;
    test::WriteFileBytes(dir / "GO.bat", "@echo off\r\n");
    test::WriteFileBytes(dir / "BL.exe", "#!/bin/sh\n{ pwd; echo \"program $#\"; } > proof.txt\n");
    ::chmod((dir / "BL.exe").c_str(), c.Executable ? 0755 : 0644);
    if (c.WineOnPath) {
      test::WriteFileBytes(tools / "wine", "#!/bin/sh\n{ pwd; echo \"wine $# $*\"; } > proof.txt\n");
      ::chmod((tools / "wine").c_str(), 0755);
    }
    test::SetEnvironment("PATH", tools.Path().c_str());  // the stand-in, or no wine at all
    const bool started = RunLauncher(dir.Path(), "GO.bat", "BL.exe");
    test::SetEnvironment("PATH", saved.c_str());
    EXPECT_EQ(started, c.Started);
    EXPECT_FALSE(fs::exists(dir / "GO.bat"));
    if (!c.Started) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      EXPECT_FALSE(fs::exists(dir / "proof.txt"));
      continue;
    }
    // In the product folder, with no arguments but the program for wine.
    const std::string expected = fs::canonical(dir.Path()).string() + c.Proof;
    EXPECT_EQ(WaitForFile(dir, "proof.txt", expected.size()), expected);
  }
  EXPECT_FALSE(RunLauncher(test::TTempDir() / "missing", "GO.bat", "BL.exe"));
}

TEST(Launcher, WindowsRunsTheBatchFileInItsFolderAndItDeletesItself) {
  if (!kWindowsHost) GTEST_SKIP() << "the batch file itself runs on Windows only";
  test::TTempDir dir;
  test::WriteFileBytes(dir / "GO.bat", "@echo off\r\necho started> proof.txt\r\ndel \"%~f0\"\r\n");
  EXPECT_TRUE(RunLauncher(dir.Path(), "GO.bat", "BL.exe"));
  EXPECT_EQ(WaitForFile(dir, "proof.txt", 9), "started\r\n");
  for (int i = 0; i < 100 && fs::exists(test::FsPath(dir / "GO.bat")); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_FALSE(fs::exists(test::FsPath(dir / "GO.bat")));
}

}  // namespace
}  // namespace bailan

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

TEST(Launcher, StartsAnExecutableProgramInItsFolderAndDeletesTheBatchFile) {
  if (kWindowsHost) GTEST_SKIP() << kLinuxOnly;
  test::TTempDir dir;
  test::WriteFileBytes(dir / "GO.bat", "@echo off\r\n");
  test::WriteFileBytes(dir / "BL.exe", "#!/bin/sh\npwd > proof.txt\necho \"$#\" >> proof.txt\n");
  ::chmod((dir / "BL.exe").c_str(), 0755);
  EXPECT_TRUE(RunLauncher(dir.Path(), "GO.bat", "BL.exe"));
  EXPECT_FALSE(fs::exists(dir / "GO.bat"));
  const std::string expected = fs::canonical(dir.Path()).string() + "\n0\n";
  EXPECT_EQ(WaitForFile(dir, "proof.txt", expected.size()), expected);  // in the product folder, no arguments
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

TEST(Launcher, ANonExecutableProgramIsNotStartedWithoutWine) {
  if (kWindowsHost) GTEST_SKIP() << kLinuxOnly;
  test::TTempDir dir;
  test::WriteFileBytes(dir / "GO.bat", "@echo off\r\n");
  test::WriteFileBytes(dir / "BL.exe", "#!/bin/sh\ntouch proof.txt\n");
  ::chmod((dir / "BL.exe").c_str(), 0644);
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  test::SetEnvironment("PATH", dir.Path().c_str());  // no wine on this path
  EXPECT_FALSE(RunLauncher(dir.Path(), "GO.bat", "BL.exe"));
  test::SetEnvironment("PATH", saved.c_str());
  EXPECT_FALSE(fs::exists(dir / "GO.bat"));
  EXPECT_FALSE(RunLauncher(dir / "missing", "GO.bat", "BL.exe"));
}

}  // namespace
}  // namespace bailan

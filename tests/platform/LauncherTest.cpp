#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/Launcher.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

namespace fs = std::filesystem;

TEST(Launcher, StartsAnExecutableProgramInItsFolderAndDeletesTheBatchFile) {
  test::TTempDir dir;
  test::WriteFileBytes(dir / "GO.bat", "@echo off\r\n");
  test::WriteFileBytes(dir / "BL.exe", "#!/bin/sh\npwd > proof.txt\necho \"$#\" >> proof.txt\n");
  ::chmod((dir / "BL.exe").c_str(), 0755);
  EXPECT_TRUE(RunLauncher(dir.Path(), "GO.bat", "BL.exe"));
  EXPECT_FALSE(fs::exists(dir / "GO.bat"));
  const std::string expected = fs::canonical(dir.Path()).string() + "\n0\n";
  auto proof = [&] { return fs::exists(dir / "proof.txt") ? test::ReadFileBytes(dir / "proof.txt") : ""; };
  for (int i = 0; i < 100 && proof().size() < expected.size(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(proof(), expected);  // run in the product folder, no arguments
}

TEST(Launcher, ANonExecutableProgramIsNotStartedWithoutWine) {
  test::TTempDir dir;
  test::WriteFileBytes(dir / "GO.bat", "@echo off\r\n");
  test::WriteFileBytes(dir / "BL.exe", "#!/bin/sh\ntouch proof.txt\n");
  ::chmod((dir / "BL.exe").c_str(), 0644);
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  setenv("PATH", dir.Path().c_str(), 1);  // no wine on this path
  EXPECT_FALSE(RunLauncher(dir.Path(), "GO.bat", "BL.exe"));
  setenv("PATH", saved.c_str(), 1);
  EXPECT_FALSE(fs::exists(dir / "GO.bat"));
  EXPECT_FALSE(RunLauncher(dir / "missing", "GO.bat", "BL.exe"));
}

}  // namespace
}  // namespace bailan

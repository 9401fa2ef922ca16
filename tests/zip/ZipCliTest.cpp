// bailan-cli unzip: the extraction as the installer runs it, from the shell.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "support/ZipTestSupport.h"

namespace bailan::test {
namespace {

struct TCliResult {
  int Status = -1;
  std::string Output;  // stdout and stderr
};

TCliResult RunCli(const std::string& args) {
  std::string command = std::string(BAILAN_CLI_PATH) + " " + args + " 2>&1";
  TCliResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.Output.append(buffer, n);
  int status = ::pclose(pipe);
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

TEST(ZipCli, ExtractsAndPrintsTheCount) {
  TTempDir dir;
  WriteFileBytes(
      dir / "a.zip",
      TZipBuilder().AddFile("a.txt", "alpha").AddFile("d/", "").AddFile("d/b.txt", "b", 8).Build());
  TCliResult result = RunCli("unzip '" + (dir / "a.zip") + "' '" + (dir / "out") + "'");
  EXPECT_EQ(result.Status, 0);
  EXPECT_EQ(result.Output, "extracted=3\n");
  EXPECT_EQ(ReadFileBytes(dir / "out/d/b.txt"), "b");
}

TEST(ZipCli, FailuresPrintClassAndMessage) {
  TTempDir dir;
  WriteFileBytes(dir / "page.zip", "<html>Service Unavailable</html>");
  TCliResult result = RunCli("unzip '" + (dir / "page.zip") + "' '" + (dir / "out") + "'");
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Output, "EIncompleteZip: Incomplete Zip File\n");

  result = RunCli("unzip '" + (dir / "none.zip") + "' '" + (dir / "out") + "'");
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Output,
            "EFOpenError: Cannot open file \"" + (dir / "none.zip") + "\". No such file or directory\n");

  EXPECT_EQ(RunCli("unzip only-one-argument").Status, 2);
}

TEST(ZipCli, UnknownMethodNoticeGoesToStderr) {
  TTempDir dir;
  TZipBuilderEntry lzma;
  lzma.Name = "x.bin";
  lzma.Data = "not really lzma";
  lzma.Method = 14;
  WriteFileBytes(dir / "a.zip", TZipBuilder().Add(lzma).AddFile("ok.txt", "ok").Build());
  TCliResult result = RunCli("unzip '" + (dir / "a.zip") + "' '" + (dir / "out") + "'");
  EXPECT_EQ(result.Status, 0);
  EXPECT_EQ(result.Output, "Zip Error: Unknown Compression Method\nextracted=1\n");
}

}  // namespace
}  // namespace bailan::test

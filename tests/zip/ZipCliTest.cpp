// bailan-cli unzip: the extraction as the installer runs it, from the shell.
#include <gtest/gtest.h>

#include "platform/Cp936.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "support/ZipTestSupport.h"

namespace bailan::test {
namespace {

TEST(ZipCli, ExtractsAndPrintsTheCount) {
  TTempDir dir;
  WriteFileBytes(
      dir / "a.zip",
      TZipBuilder().AddFile("a.txt", "alpha").AddFile("d/", "").AddFile("d/b.txt", "b", 8).Build());
  std::string out, err;
  EXPECT_EQ(RunCli({"unzip", dir / "a.zip", dir / "out"}, &out, &err), 0);
  EXPECT_EQ(out, "extracted=3\n");
  EXPECT_EQ(err, "");
  EXPECT_EQ(ReadFileBytes(dir / "out/d/b.txt"), "b");
}

TEST(ZipCli, FailuresPrintClassAndMessage) {
  TTempDir dir;
  WriteFileBytes(dir / "page.zip", "<html>Service Unavailable</html>");
  std::string out, err;
  EXPECT_EQ(RunCli({"unzip", dir / "page.zip", dir / "out"}, &out, &err), 1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "EIncompleteZip: Incomplete Zip File\n");

  EXPECT_EQ(RunCli({"unzip", dir / "none.zip", dir / "out"}, &out, &err), 1);
  EXPECT_EQ(err, "EFOpenError: Cannot open file \"" + (dir / "none.zip") + "\". " +
                     Cp936ToUtf8(MissingFileText()) + "\n");

  EXPECT_EQ(RunCli({"unzip", "only-one-argument"}), 2);
}

TEST(ZipCli, UnknownMethodNoticeGoesToStderr) {
  TTempDir dir;
  TZipBuilderEntry lzma;
  lzma.Name = "x.bin";
  lzma.Data = "not really lzma";
  lzma.Method = 14;
  WriteFileBytes(dir / "a.zip", TZipBuilder().Add(lzma).AddFile("ok.txt", "ok").Build());
  std::string out, err;
  EXPECT_EQ(RunCli({"unzip", dir / "a.zip", dir / "out"}, &out, &err), 0);
  EXPECT_EQ(out, "extracted=1\n");
  EXPECT_EQ(err, "Zip Error: Unknown Compression Method\n");
}

}  // namespace
}  // namespace bailan::test

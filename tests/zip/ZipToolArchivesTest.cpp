// Archives made by the archivers a maker might use (Info-ZIP zip, 7z, bsdtar,
// python's zipfile) extract to exactly the tree they were made from.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/HostSystem.h"
#include "support/TempDir.h"
#include "support/ZipTestSupport.h"

namespace bailan::test {
namespace {

namespace fs = std::filesystem;

#define REQUIRE_TOOL(tool)                                                                           \
  if (kWindowsHost) GTEST_SKIP() << tool << " is a Linux program: its archives are tested on Linux"; \
  if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)"

class ZipToolArchives : public ::testing::Test {
 protected:
  void SetUp() override {
    src_ = dir_ / "src";
    fs::create_directories(src_ + "/sub/deeper");
    fs::create_directories(src_ + "/empty");
    WriteFileBytes(src_ + "/a.txt", "alpha\n");
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + " of some text\n";
    WriteFileBytes(src_ + "/sub/text.txt", text);
    std::string binary(300000, '\0');
    std::uint32_t x = 7;
    for (char& c : binary) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
    WriteFileBytes(src_ + "/sub/deeper/random.bin", binary);
    WriteFileBytes(src_ + "/sub/zero.bin", "");
    WriteFileBytes(src_ + "/中文.txt", "cp936 name\n");
    // A fixed, even-second time so that the DOS time stamp holds it exactly.
    RunShell("find '" + src_ + "' -exec touch -m -d '2021-03-04 05:06:08' {} +");
  }

  // Extracts and compares every file's bytes and modification time with the source.
  void ExpectSameTree(const std::string& archive, bool withEmptyDir = true) {
    std::string out = dir_ / "out";
    fs::remove_all(out);
    int handled = ExtractLikeTheInstaller(archive, out);
    std::vector<std::string> files = ListFiles(src_);
    EXPECT_EQ(ListFiles(out), files);
    for (const std::string& file : files) {
      EXPECT_EQ(ReadFileBytes(out + "/" + file), ReadFileBytes(src_ + "/" + file)) << file;
      struct stat a {
      }, b{};
      ::stat((out + "/" + file).c_str(), &a);
      ::stat((src_ + "/" + file).c_str(), &b);
      EXPECT_NEAR(static_cast<double>(a.st_mtime), static_cast<double>(b.st_mtime), 1.0) << file;
    }
    if (withEmptyDir) {
      EXPECT_TRUE(fs::is_directory(out + "/empty"));
    }
    EXPECT_GE(handled, static_cast<int>(files.size()));
  }

  TTempDir dir_;
  std::string src_;
};

TEST_F(ZipToolArchives, InfoZipDeflatedStoredAndWithoutExtraFields) {
  REQUIRE_TOOL("zip");
  // Info-ZIP stores a Linux name's UTF-8 bytes without the UTF-8 flag, and an
  // unflagged name is read as CP936 text: keep to ASCII names here.
  fs::remove(src_ + "/中文.txt");
  for (const char* options : {"-r -q -6", "-r -q -0", "-r -q -9 -X", "-r -q -1 -D"}) {
    SCOPED_TRACE(options);
    std::string archive = dir_ / "izip.zip";
    fs::remove(archive);
    ASSERT_EQ(RunShell("cd '" + src_ + "' && zip " + options + " '" + archive + "' ."), 0);
    ExpectSameTree(archive, std::string(options).find("-D") == std::string::npos);
  }
}

TEST_F(ZipToolArchives, SevenZip) {
  REQUIRE_TOOL("7z");
  for (const char* method : {"Deflate", "Copy"}) {
    SCOPED_TRACE(method);
    std::string archive = dir_ / "7z.zip";
    fs::remove(archive);
    ASSERT_EQ(RunShell("cd '" + src_ + "' && 7z a -tzip -mm=" + method + " '" + archive + "' . >/dev/null"),
              0);
    ExpectSameTree(archive);
  }
}

TEST_F(ZipToolArchives, Bsdtar) {
  REQUIRE_TOOL("bsdtar");
  std::string archive = dir_ / "bsdtar.zip";
  ASSERT_EQ(RunShell("cd '" + src_ + "' && bsdtar --format zip -cf '" + archive + "' ."), 0);
  ExpectSameTree(archive);
}

TEST_F(ZipToolArchives, PythonZip64AndDataDescriptors) {
  REQUIRE_TOOL("python3");
  // Written to a pipe, zipfile cannot seek back: every entry gets a data
  // descriptor; force_zip64 adds Zip64 extra fields to the local headers.
  std::string script = dir_ / "make.py";
  WriteFileBytes(script,
                 "import os, sys, time, zipfile\n"
                 "src = sys.argv[1]\n"
                 "with zipfile.ZipFile(sys.stdout.buffer, 'w', zipfile.ZIP_DEFLATED) as z:\n"
                 "    for root, dirs, files in os.walk(src):\n"
                 "        for d in dirs:\n"
                 "            p = os.path.join(root, d)\n"
                 "            z.write(p, os.path.relpath(p, src) + '/')\n"
                 "        for f in files:\n"
                 "            p = os.path.join(root, f)\n"
                 "            info = zipfile.ZipInfo.from_file(p, os.path.relpath(p, src))\n"
                 "            info.compress_type = zipfile.ZIP_DEFLATED\n"
                 "            with open(p, 'rb') as i, z.open(info, 'w', force_zip64=True) as o:\n"
                 "                o.write(i.read())\n");
  std::string archive = dir_ / "py.zip";
  ASSERT_EQ(RunShell("python3 '" + script + "' '" + src_ + "' | cat > '" + archive + "'"), 0);
  ExpectSameTree(archive);
}

}  // namespace
}  // namespace bailan::test

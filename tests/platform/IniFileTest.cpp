#include <gtest/gtest.h>

#include "platform/Cp936.h"
#include "platform/IniFile.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

struct TIniCase {
  const char* What;
  std::string Text;
  const char* Section;
  const char* Key;
  std::string Expected;
};

TEST(IniFile, ProfileStringRules) {
  const std::string longValue(3000, 'a');
  // 2046 ASCII bytes and a double-byte character: the character would end at byte 2048.
  const std::string splitValue = std::string(2046, 'b') + Cp("岚");
  const TIniCase cases[] = {
      {"plain", "[bailan]\nurl=http://h/a.zip\n", "bailan", "url", "http://h/a.zip"},
      {"names without case", "[FILE1]\nURL=x\n", "file1", "url", "x"},
      {"blanks around names and value", "  [ file2 ]  \r\n  url =  v w  \r\n", "file2", "url", "v w"},
      {"double quotes", "[s]\nurl=\"q\"\n", "s", "url", "q"},
      {"single quotes", "[s]\nurl='q'\n", "s", "url", "q"},
      {"one pair only", "[s]\nurl=\"\"q\"\"\n", "s", "url", "\"q\""},
      {"unmatched quote kept", "[s]\nurl=\"q'\n", "s", "url", "\"q'"},
      {"missing key", "[s]\nname=q\n", "s", "url", "error"},
      {"missing section", "[t]\nurl=q\n", "s", "url", "error"},
      {"key before any section", "url=q\n[s]\n", "s", "url", "error"},
      {"empty value", "[s]\nurl=\n", "s", "url", ""},
      {"first key wins", "[s]\nurl=1\nurl=2\n", "s", "url", "1"},
      {"first section wins", "[s]\nother=1\n[S]\nurl=2\n", "s", "url", "error"},
      {"comment line", "[s]\n;url=1\nurl=2\n", "s", "url", "2"},
      {"CR line ends", "[s]\rurl=3\r", "s", "url", "3"},
      {"value holds =", "[s]\nurl=a=b\n", "s", "url", "a=b"},
      {"value cut at NUL", std::string("[s]\nurl=ab\0cd\n", 14), "s", "url", "ab"},
      {"2047 bytes at most", "[s]\nurl=" + longValue + "\n", "s", "url", std::string(2047, 'a')},
      {"never half a character", "[s]\nurl=" + splitValue + "\n", "s", "url", std::string(2046, 'b')},
      {"double-byte names exact", "[" + Cp("节") + "]\nurl=z\n", Cp("节").c_str(), "URL", "z"},
      {"unterminated section line", "[s\nurl=u\n", "s", "url", "u"},
  };
  for (const TIniCase& c : cases) {
    EXPECT_EQ(TIniFile::FromText(c.Text).ReadString(c.Section, c.Key, "error"), c.Expected) << c.What;
  }
}

TEST(IniFile, ReadsTheFileOnceAndAMissingFileGivesDefaults) {
  test::TTempDir dir;
  test::WriteFileBytes(dir / "m.ini", "[bailan]\r\nurl=http://h/1.zip\r\n");
  TIniFile ini(dir / "m.ini");
  test::WriteFileBytes(dir / "m.ini", "");
  EXPECT_EQ(ini.ReadString("bailan", "url", "error"), "http://h/1.zip");
  EXPECT_EQ(TIniFile(dir / "absent.ini").ReadString("bailan", "url", "error"), "error");
}

TEST(IniFile, LineCutByTheSizeCapIsDropped) {
  // The cap falls right after "url=http://h/d/set": the line is whole only
  // when the byte past the cap ends it.
  const std::string line = "url=http://h/d/set";
  const std::string head = "[bailan]\n;";
  const std::string padding(TIniFile::kMaxFileSize - head.size() - 1 - line.size(), 'x');
  struct {
    std::string Rest, Expected;
  } cases[] = {{"up.zip\n", "error"}, {"\nmore", "http://h/d/set"}, {"\r\n", "http://h/d/set"}};
  test::TTempDir dir;
  for (const auto& c : cases) {
    test::WriteFileBytes(dir / "m.ini", head + padding + "\n" + line + c.Rest);
    EXPECT_EQ(TIniFile(dir / "m.ini").ReadString("bailan", "url", "error"), c.Expected) << c.Rest;
  }
}

}  // namespace
}  // namespace bailan

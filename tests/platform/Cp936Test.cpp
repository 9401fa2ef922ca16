#include <gtest/gtest.h>

#include "platform/Cp936.h"
#include "platform/TextField.h"

namespace bailan {
namespace {

// "俓" is 0x82 0x5C in CP936: its trail byte is the byte of "\".
const std::string kTrail5C = "\x82\x5C";
const std::string kProduct = "\xB0\xD8\xE1\xB0\xC8\xED\xBC\xFE";  // 柏岚软件

TEST(Cp936, RoundTripsChineseAndAscii) {
  EXPECT_EQ(Utf8ToCp936("柏岚软件"), kProduct);
  EXPECT_EQ(Cp936ToUtf8(kProduct), "柏岚软件");
  EXPECT_EQ(Utf8ToCp936("俓"), kTrail5C);
  EXPECT_EQ(Cp936ToUtf8("a" + kTrail5C + "\\b"), "a俓\\b");
  const std::string mixed = "D:\\" + kProduct + "\\setup(1).zip";
  EXPECT_EQ(Utf8ToCp936(Cp936ToUtf8(mixed)), mixed);
  EXPECT_EQ(Cp936ToUtf16(kProduct), u"柏岚软件");
}

TEST(Cp936, LiteralMacroConvertsOnce) {
  EXPECT_EQ(Cp("安装完成！"), "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9\xA3\xA1");
  const std::string* first = nullptr;
  for (int i = 0; i < 3; ++i) {
    const std::string& converted = Cp("用时");
    if (!first) first = &converted;
    EXPECT_EQ(&converted, first);  // one conversion per call site
  }
}

TEST(Cp936, UnrepresentableAndInvalidInputIsReplaced) {
  EXPECT_EQ(Utf8ToCp936("a😀b"), "a_b");  // no emoji in CP936
  EXPECT_EQ(Utf8ToCp936("a\xFF"
                        "b",
                        '?'),
            "a?b");  // not UTF-8
  EXPECT_EQ(Cp936ToUtf8("ok\xFF"), "ok\xEF\xBF\xBD");
  EXPECT_EQ(Cp936ToUtf8("\xB0"), "\xEF\xBF\xBD");  // lead byte cut off at the end
}

// From the lowest lead byte (0x81) to the highest (0xFE), a "\" byte after it
// is its trail byte, never a separator.
TEST(Cp936, SearchesStepOverTrailBytes) {
  for (const std::string trail : {"\x81\x5C", "\x82\x5C", "\xFE\x5C"}) {
    const std::string text = "dir\\" + trail + "name";
    EXPECT_EQ(Cp936FindLast(text, '\\'), 3u) << int(trail[0] & 0xFF);
    EXPECT_EQ(Cp936FindLast(trail, '\\'), std::string::npos);
    EXPECT_EQ(Cp936FindFirst(trail + "\\", '\\'), 2u);
    EXPECT_EQ(Cp936FindFirst(trail, '\\'), std::string::npos);
    EXPECT_EQ(Cp936FindFirst("a\\" + trail + "\\c", '\\', 2), 4u);
  }
  EXPECT_EQ(Cp936FindFirst("a\\b\\c", '\\', 2), 3u);
  EXPECT_FALSE(IsCp936LeadByte(0x80));
  EXPECT_EQ(Cp936ToUtf8("\x81\x5C"), "乗");
}

TEST(TextField, StoresUpToCapacityAndKeepsBytesAfterTheNul) {
  TTextField<256> field;
  const std::string exact(255, 'x');
  field.Set(exact);
  EXPECT_EQ(field.Get(), exact);

  field.Set(std::string(300, 'y'));
  EXPECT_EQ(field.Get(), std::string(255, 'y'));

  field.Set("short");
  EXPECT_EQ(field.Get(), "short");
  EXPECT_EQ(field.Bytes[5], '\0');
  EXPECT_EQ(field.Bytes[6], 'y');  // left as it was
}

TEST(TextField, ReadsAllBytesWhenNoNul) {
  TTextField<4> field;
  std::memcpy(field.Bytes, "abcd", 4);
  EXPECT_EQ(field.Get(), "abcd");
}

TEST(TextField, NeverSplitsADoubleByteCharacter) {
  TTextField<256> field;
  // 254 ASCII bytes leave room for one byte only: the next character does not fit.
  field.Set(std::string(254, 'a') + kProduct);
  EXPECT_EQ(field.Get(), std::string(254, 'a'));
  // 253 leave room for exactly one double-byte character.
  field.Set(std::string(253, 'a') + kProduct);
  EXPECT_EQ(field.Get(), std::string(253, 'a') + kProduct.substr(0, 2));
  // A trail byte of 0x5C is not mistaken for a character boundary.
  field.Set(std::string(254, 'a') + kTrail5C);
  EXPECT_EQ(field.Get(), std::string(254, 'a'));
}

}  // namespace
}  // namespace bailan

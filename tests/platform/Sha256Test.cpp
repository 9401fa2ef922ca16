#include "platform/Sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace bailan {
namespace {

struct TDigestCase {
  std::string Input;
  std::size_t Piece;  // fed in pieces of this size (0: at once)
  const char* Hex;
};

// FIPS 180-2 vectors, fed whole and in pieces that cross the 64-byte blocks.
TEST(Sha256Test, DigestsMatchTheStandardVectors) {
  const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  const TDigestCase cases[] = {
      {"", 0, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", 0, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {twoBlocks, 0, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {twoBlocks, 7, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), 4099, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const TDigestCase& c : cases) {
    TSha256 hash;
    if (c.Piece == 0) {
      hash.Update(c.Input);
    } else {
      for (std::size_t at = 0; at < c.Input.size(); at += c.Piece) {
        hash.Update(std::string_view(c.Input).substr(at, c.Piece));
      }
    }
    EXPECT_EQ(DigestToHex(hash.Finish()), c.Hex) << c.Input.size() << " bytes in pieces of " << c.Piece;
  }
  TSha256 reused;
  reused.Update("junk");
  reused.Finish();
  reused.Update("abc");
  EXPECT_EQ(reused.Finish(), TSha256::Of("abc")) << "Finish starts the hash afresh";
}

TEST(Sha256Test, ParseDigestHexTakesExactly64HexDigits) {
  const std::string lower = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  std::string upper = lower;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const struct {
    std::string Text;
    bool Accepted;
  } cases[] = {
      {lower, true},
      {upper, true},
      {lower.substr(1), false},
      {lower + "0", false},
      {" " + lower.substr(1), false},
      {lower.substr(0, 63) + "g", false},
      {"", false},
  };
  for (const auto& c : cases) {
    TSha256::TDigest digest{};
    digest.fill(0x5A);
    EXPECT_EQ(ParseDigestHex(c.Text, digest), c.Accepted) << c.Text;
    if (c.Accepted) {
      EXPECT_EQ(digest, TSha256::Of("abc"));
    } else {
      EXPECT_EQ(digest[0], 0x5A) << "a refused text leaves the digest alone";
    }
  }
}

}  // namespace
}  // namespace bailan

#include "platform/Sha256.h"

namespace bailan {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

TSha256::TDigest TSha256::Of(std::string_view bytes) {
  TSha256 hash;
  hash.Update(bytes);
  return hash.Finish();
}

std::string DigestToHex(const TSha256::TDigest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(TSha256::kHexLength);
  for (std::uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

bool ParseDigestHex(std::string_view text, TSha256::TDigest& digest) {
  if (text.size() != TSha256::kHexLength) return false;
  TSha256::TDigest parsed{};
  for (std::size_t i = 0; i < parsed.size(); ++i) {
    const int high = HexValue(text[2 * i]);
    const int low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    parsed[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  digest = parsed;
  return true;
}

}  // namespace bailan

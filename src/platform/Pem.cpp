#include "platform/Pem.h"

#include "platform/Signature.h"

namespace bailan {
namespace {

// A key of a few hundred bytes needs no more; a longer text is no key of ours.
constexpr std::size_t kMaxPemSize = 4096;

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool IsLineBreak(char c) {
  return c == '\r' || c == '\n';
}

// Strict base64: whole groups of four, "=" only at the very end.
std::string DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) throw ESignatureError("the key's base64 text is not in groups of four");
  std::string bytes;
  for (std::size_t at = 0; at < text.size(); at += 4) {
    const bool last = at + 4 == text.size();
    std::uint32_t group = 0;
    int padding = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      const char c = text[at + i];
      if (c == '=' && last && i >= 2) {
        ++padding;
        group <<= 6;
        continue;
      }
      const int value = Base64Value(c);
      if (value < 0 || padding > 0) throw ESignatureError("the key holds a character outside base64");
      group = group << 6 | static_cast<std::uint32_t>(value);
    }
    bytes += static_cast<char>(group >> 16 & 0xFF);
    if (padding < 2) bytes += static_cast<char>(group >> 8 & 0xFF);
    if (padding < 1) bytes += static_cast<char>(group & 0xFF);
  }
  return bytes;
}

}  // namespace

std::string DecodePem(std::string_view pem, std::string_view label) {
  if (pem.size() > kMaxPemSize) throw ESignatureError("the key text is too long");
  const std::string begin = "-----BEGIN " + std::string(label) + "-----";
  const std::string end = "-----END " + std::string(label) + "-----";
  std::size_t at = 0;
  while (at < pem.size() && IsLineBreak(pem[at])) ++at;
  if (pem.substr(at, begin.size()) != begin)
    throw ESignatureError("the key does not begin with \"" + begin + "\"");
  at += begin.size();
  std::string base64;
  for (;;) {
    if (at == pem.size()) throw ESignatureError("the key has no \"" + end + "\" line");
    if (IsLineBreak(pem[at])) {
      ++at;
      continue;
    }
    if (pem.substr(at, end.size()) == end) break;
    base64 += pem[at++];
  }
  for (at += end.size(); at < pem.size(); ++at) {
    if (!IsLineBreak(pem[at])) throw ESignatureError("the key has bytes after its end line");
  }
  return DecodeBase64(base64);
}

}  // namespace bailan

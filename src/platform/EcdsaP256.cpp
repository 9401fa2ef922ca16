#include "platform/EcdsaP256.h"

#include <algorithm>
#include <string>

#include "platform/Signature.h"

namespace bailan::p256 {
namespace {

// SEQUENCE(89) { SEQUENCE(19) { OID id-ecPublicKey, OID prime256v1 },
// BIT STRING(66) 0 unused bits, 0x04 (uncompressed) }, then X and Y.
constexpr std::uint8_t kSpkiPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2A, 0x86, 0x48,
                                        0xCE, 0x3D, 0x02, 0x01, 0x06, 0x08, 0x2A, 0x86, 0x48,
                                        0xCE, 0x3D, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
// The order n of the curve's base point.
constexpr std::array<std::uint8_t, kScalarSize> kOrder = {
    0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xBC, 0xE6, 0xFA, 0xAD, 0xA7, 0x17, 0x9E, 0x84, 0xF3, 0xB9, 0xCA, 0xC2, 0xFC, 0x63, 0x25, 0x51};
constexpr std::uint8_t kSequence = 0x30, kInteger = 0x02;

[[noreturn]] void Malformed(const std::string& what) {
  throw ESignatureError("the signature is malformed: " + what);
}

// Reads one DER INTEGER at `at` into `scalar` (right-aligned) and moves past it.
void ReadScalar(std::string_view der, std::size_t& at, std::uint8_t* scalar, const char* name) {
  if (der.size() - at < 2 || static_cast<std::uint8_t>(der[at]) != kInteger) {
    Malformed(std::string(name) + " is not an INTEGER");
  }
  const std::size_t length = static_cast<std::uint8_t>(der[at + 1]);
  at += 2;
  if (length == 0 || length > kScalarSize + 1 || length > der.size() - at) {
    Malformed(std::string("the length of ") + name + " is wrong");
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(der.data() + at);
  if (bytes[0] & 0x80) Malformed(std::string(name) + " is negative");
  if (length > 1 && bytes[0] == 0 && !(bytes[1] & 0x80)) Malformed(std::string(name) + " is not minimal");
  std::size_t skip = 0;
  if (length == kScalarSize + 1) {
    if (bytes[0] != 0) Malformed(std::string(name) + " is longer than 256 bits");
    skip = 1;
  }
  std::uint8_t* out = scalar + kScalarSize - (length - skip);
  std::copy(bytes + skip, bytes + length, out);
  at += length;
  const bool zero = std::all_of(scalar, scalar + kScalarSize, [](std::uint8_t b) { return b == 0; });
  if (zero) Malformed(std::string(name) + " is zero");
  if (!std::lexicographical_compare(scalar, scalar + kScalarSize, kOrder.begin(), kOrder.end())) {
    Malformed(std::string(name) + " is not below the curve's order");
  }
}

}  // namespace

TPoint PointOfSubjectPublicKeyInfo(std::string_view der) {
  constexpr std::size_t kPrefixSize = sizeof(kSpkiPrefix);
  const bool layout =
      der.size() == kPrefixSize + kPointSize &&
      std::equal(kSpkiPrefix, kSpkiPrefix + kPrefixSize, reinterpret_cast<const std::uint8_t*>(der.data()));
  if (!layout) throw ESignatureError("the key is not an uncompressed ECDSA P-256 public key");
  TPoint point{};
  std::copy(der.begin() + kPrefixSize, der.end(), point.begin());
  return point;
}

TRawSignature ParseDerSignature(std::string_view der) {
  if (der.empty()) Malformed("it is empty");
  if (der.size() > kMaxDerSignatureSize) Malformed("it is longer than any P-256 signature");
  if (der.size() < 2 || static_cast<std::uint8_t>(der[0]) != kSequence) Malformed("it is not a SEQUENCE");
  if (static_cast<std::size_t>(static_cast<std::uint8_t>(der[1])) != der.size() - 2) {
    Malformed("its length does not match its size");
  }
  TRawSignature raw{};
  std::size_t at = 2;
  ReadScalar(der, at, raw.data(), "r");
  ReadScalar(der, at, raw.data() + kScalarSize, "s");
  if (at != der.size()) Malformed("bytes follow s");
  return raw;
}

}  // namespace bailan::p256

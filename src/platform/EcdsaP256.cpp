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

// Field elements as four 64-bit limbs, the lowest first. Only the public point's
// check uses them, a handful of products, so plain shift-and-add is enough.
using TLimbs = std::array<std::uint64_t, 4>;
// The field's prime p = 2^256 - 2^224 + 2^192 + 2^96 - 1 and the curve's b of
// y^2 = x^3 - 3x + b.
constexpr TLimbs kPrime = {0xFFFFFFFFFFFFFFFFull, 0x00000000FFFFFFFFull, 0x0000000000000000ull,
                           0xFFFFFFFF00000001ull};
constexpr TLimbs kB = {0x3BCE3C3E27D2604Bull, 0x651D06B0CC53B0F6ull, 0xB3EBBD55769886BCull,
                       0x5AC635D8AA3A93E7ull};

TLimbs FromBigEndian(const std::uint8_t* bytes) {
  TLimbs limbs{};
  for (std::size_t i = 0; i < kScalarSize; ++i) limbs[3 - i / 8] = limbs[3 - i / 8] << 8 | bytes[i];
  return limbs;
}

bool Below(const TLimbs& a, const TLimbs& b) {
  for (std::size_t i = 4; i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i];
  }
  return false;
}

// a - b into `difference`; the borrow out of the highest limb.
std::uint64_t Subtract(const TLimbs& a, const TLimbs& b, TLimbs& difference) {
  std::uint64_t borrow = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::uint64_t partial = a[i] - b[i];
    const std::uint64_t next = (a[i] < b[i]) | (partial < borrow);
    difference[i] = partial - borrow;
    borrow = next;
  }
  return borrow;
}

// a + b (a, b < p), reduced.
TLimbs AddMod(const TLimbs& a, const TLimbs& b) {
  TLimbs sum{};
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::uint64_t partial = a[i] + b[i];
    sum[i] = partial + carry;
    carry = (partial < a[i]) | (sum[i] < partial);
  }
  if (carry || !Below(sum, kPrime)) Subtract(sum, kPrime, sum);
  return sum;
}

// a * b (a, b < p), reduced: the bits of b from the highest, doubling between.
TLimbs MulMod(const TLimbs& a, const TLimbs& b) {
  TLimbs product{};
  for (std::size_t bit = 256; bit-- > 0;) {
    product = AddMod(product, product);
    if (b[bit / 64] >> (bit % 64) & 1) product = AddMod(product, a);
  }
  return product;
}

// Whether (x, y) satisfies y^2 = x^3 - 3x + b with both coordinates below p:
// libraries differ in whether they check this on import (Wine's CNG does not).
bool IsOnCurve(const TPoint& point) {
  const TLimbs x = FromBigEndian(point.data()), y = FromBigEndian(point.data() + kScalarSize);
  if (!Below(x, kPrime) || !Below(y, kPrime)) return false;
  // -3x modulo p as three times -x, which is p - x (and 0 for x = 0).
  TLimbs minusX{};
  if (x != TLimbs{}) Subtract(kPrime, x, minusX);
  TLimbs right = MulMod(MulMod(x, x), x);
  right = AddMod(right, AddMod(AddMod(minusX, minusX), minusX));
  right = AddMod(right, kB);
  return MulMod(y, y) == right;
}

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
  if (!IsOnCurve(point)) throw ESignatureError("the key is not a point of the P-256 curve");
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

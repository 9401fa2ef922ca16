#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bailan::p256 {

inline constexpr std::size_t kScalarSize = 32;              // r, s and each coordinate
inline constexpr std::size_t kPointSize = 2 * kScalarSize;  // X || Y
// SEQUENCE { INTEGER r, INTEGER s }, each at most 33 bytes with its sign byte:
// 2 + 2 * (2 + 33). No longer text can be a P-256 signature.
inline constexpr std::size_t kMaxDerSignatureSize = 72;

using TPoint = std::array<std::uint8_t, kPointSize>;
using TRawSignature = std::array<std::uint8_t, 2 * kScalarSize>;  // r || s, big-endian

// The public point of a DER SubjectPublicKeyInfo of an id-ecPublicKey on
// prime256v1 with an uncompressed point: exactly that layout and length, else
// ESignatureError.
TPoint PointOfSubjectPublicKeyInfo(std::string_view der);

// r || s of a strict DER ECDSA-Sig-Value: minimal lengths and integers, no
// trailing byte, 0 < r, s < n. Anything else raises ESignatureError.
TRawSignature ParseDerSignature(std::string_view der);

}  // namespace bailan::p256

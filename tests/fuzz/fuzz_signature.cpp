// Arbitrary bytes as a public key's PEM (first byte even) or as a signature of a
// fixed message by a fixed key (odd): each is accepted or refused with
// ESignatureError, nothing else escapes, and no signature longer than a P-256
// one, or not a DER SEQUENCE, is ever accepted.
#include <cstdint>
#include <string_view>

#include "platform/EcdsaP256.h"
#include "platform/Signature.h"

namespace {

// tests/data/signature/public.pem
constexpr const char* kPublicKey =
    "-----BEGIN PUBLIC KEY-----\n"
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEUwllUjC+rcWS+eGlPfGA8hKblgfb\n"
    "/QhbEI4HK9wipZtxiICTvzvgMPhZ7ukdIfIAUmfe0x+Zqtk7LbkLOQDNeQ==\n"
    "-----END PUBLIC KEY-----\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bailan;
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  try {
    if (data[0] % 2 == 0) {
      TSignatureKey key(input);
    } else {
      static const TSignatureKey key(kPublicKey);
      key.Verify(std::string_view("[bailan]\r\n"), input);
      if (input.size() > p256::kMaxDerSignatureSize || input[0] != '\x30') __builtin_trap();
    }
  } catch (const ESignatureError&) {
  }
  return 0;
}

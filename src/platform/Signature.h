#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Exception.h"
#include "platform/Sha256.h"

namespace bailan {

// A signature or key that does not prove what it should: the message says why
// (malformed, by another key, over other bytes).
BAILAN_DECLARE_EXCEPTION(ESignatureError, Exception);

// An ECDSA P-256 public key that checks signatures over SHA-256 digests, through
// the system's cryptographic library (libcrypto on Linux, CNG on Windows). The
// formats are those of the `openssl` tool: the key a PEM SubjectPublicKeyInfo
// ("-----BEGIN PUBLIC KEY-----", `openssl pkey -pubout`), the signature DER
// (`openssl dgst -sha256 -sign`).
class TSignatureKey {
 public:
  // Parses `pem`; a text that is not a P-256 public key (another curve or
  // algorithm, a compressed point, trailing bytes) raises ESignatureError.
  // Owns its library state; used by one thread at a time.
  explicit TSignatureKey(std::string_view pem);
  ~TSignatureKey();
  TSignatureKey(const TSignatureKey&) = delete;
  TSignatureKey& operator=(const TSignatureKey&) = delete;

  // Returns when `signature` is this key's over `digest`; otherwise raises
  // ESignatureError with the reason. A malformed signature is refused before the
  // library sees it.
  void Verify(const TSha256::TDigest& digest, std::string_view signature) const;
  void Verify(std::string_view message, std::string_view signature) const {
    Verify(TSha256::Of(message), signature);
  }

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

}  // namespace bailan

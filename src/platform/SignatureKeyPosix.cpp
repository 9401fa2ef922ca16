// Signature checks through libcrypto's EVP interface.
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include "platform/SignatureKeyState.h"

namespace bailan {

struct TSignatureKey::TState::TLibraryKey {
  struct TFreeKey {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
  };
  std::unique_ptr<EVP_PKEY, TFreeKey> Key;
};

TSignatureKey::TState::TState(std::string_view der, const p256::TPoint&)
    : Key(std::make_unique<TLibraryKey>()) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
  const unsigned char* end = bytes;
  Key->Key.reset(d2i_PUBKEY(nullptr, &end, static_cast<long>(der.size())));
  ERR_clear_error();
  if (!Key->Key || end != bytes + der.size())
    throw ESignatureError("the key is not a point of the P-256 curve");
}

TSignatureKey::TState::~TState() = default;

bool TSignatureKey::TState::Verify(const TSha256::TDigest& digest, std::string_view der,
                                   const p256::TRawSignature&) const {
  struct TFreeContext {
    void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
  };
  std::unique_ptr<EVP_PKEY_CTX, TFreeContext> context(EVP_PKEY_CTX_new(Key->Key.get(), nullptr));
  if (!context || EVP_PKEY_verify_init(context.get()) != 1 ||
      EVP_PKEY_CTX_set_signature_md(context.get(), EVP_sha256()) != 1) {
    ERR_clear_error();
    throw ECryptoError("EVP_PKEY_verify_init failed");
  }
  const int result = EVP_PKEY_verify(context.get(), reinterpret_cast<const unsigned char*>(der.data()),
                                     der.size(), digest.data(), digest.size());
  ERR_clear_error();
  if (result < 0) throw ECryptoError("EVP_PKEY_verify failed");
  return result == 1;
}

}  // namespace bailan

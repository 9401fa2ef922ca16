#include "platform/Signature.h"

#include "platform/EcdsaP256.h"
#include "platform/Pem.h"
#include "platform/SignatureKeyState.h"

namespace bailan {

TSignatureKey::TSignatureKey(std::string_view pem) {
  const std::string der = DecodePem(pem, "PUBLIC KEY");
  state_ = std::make_unique<TState>(der, p256::PointOfSubjectPublicKeyInfo(der));
}

TSignatureKey::~TSignatureKey() = default;

void TSignatureKey::Verify(const TSha256::TDigest& digest, std::string_view signature) const {
  const p256::TRawSignature raw = p256::ParseDerSignature(signature);
  if (!state_->Verify(digest, signature, raw)) {
    throw ESignatureError("the signature is not this key's over these bytes");
  }
}

}  // namespace bailan

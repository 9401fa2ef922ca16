#pragma once
// The library half of TSignatureKey, one per host (SignatureKeyPosix.cpp,
// SignatureKeyWin32.cpp); included by those and by Signature.cpp only.
#include <memory>
#include <string_view>

#include "platform/EcdsaP256.h"
#include "platform/Signature.h"

namespace bailan {

struct TSignatureKey::TState {
  struct TLibraryKey;

  // `der` is the SubjectPublicKeyInfo whose point is `point`; a point off the
  // curve raises ESignatureError.
  TState(std::string_view der, const p256::TPoint& point);
  ~TState();
  // Whether the signature (as DER and as r || s, both already checked for form)
  // is the key's over `digest`; a failure of the library itself raises ECryptoError.
  bool Verify(const TSha256::TDigest& digest, std::string_view der, const p256::TRawSignature& raw) const;

  std::unique_ptr<TLibraryKey> Key;
};

}  // namespace bailan

// Signature checks through CNG (BCrypt): the key imported as a
// BCRYPT_ECCPUBLIC_BLOB, the signature given as r || s over the digest.
#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

#include <cstring>
#include <vector>

#include "platform/CngHandle.h"
#include "platform/SignatureKeyState.h"

namespace bailan {
namespace {

// What BCryptVerifySignature answers for a signature that does not match.
constexpr NTSTATUS kInvalidSignature = static_cast<NTSTATUS>(0xC000A000L);

}  // namespace

struct TSignatureKey::TState::TLibraryKey {
  struct TDestroyKey {
    void operator()(void* key) const { ::BCryptDestroyKey(key); }
  };
  TCngAlgorithm Algorithm;
  std::unique_ptr<void, TDestroyKey> Key;
};

TSignatureKey::TState::TState(std::string_view, const p256::TPoint& point)
    : Key(std::make_unique<TLibraryKey>()) {
  Key->Algorithm = OpenCngAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, static_cast<ULONG>(p256::kScalarSize)};
  std::vector<UCHAR> blob(sizeof header + point.size());
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, point.data(), point.size());
  BCRYPT_KEY_HANDLE key = nullptr;
  if (!BCRYPT_SUCCESS(::BCryptImportKeyPair(Key->Algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &key,
                                            blob.data(), static_cast<ULONG>(blob.size()), 0))) {
    throw ESignatureError("the key is not a point of the P-256 curve");
  }
  Key->Key.reset(key);
}

TSignatureKey::TState::~TState() = default;

bool TSignatureKey::TState::Verify(const TSha256::TDigest& digest, std::string_view,
                                   const p256::TRawSignature& raw) const {
  const NTSTATUS status = ::BCryptVerifySignature(
      Key->Key.get(), nullptr, const_cast<PUCHAR>(digest.data()), static_cast<ULONG>(digest.size()),
      const_cast<PUCHAR>(raw.data()), static_cast<ULONG>(raw.size()), 0);
  if (BCRYPT_SUCCESS(status)) return true;
  if (status == kInvalidSignature) return false;
  throw ECryptoError("BCryptVerifySignature failed");
}

}  // namespace bailan

// SHA-256 through CNG (BCrypt), the system's own hashing.
#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

#include <limits>

#include "platform/CngHandle.h"
#include "platform/Sha256.h"

namespace bailan {

struct TSha256::TState {
  struct TDestroyHash {
    void operator()(void* hash) const { ::BCryptDestroyHash(hash); }
  };
  TCngAlgorithm Algorithm;
  std::unique_ptr<void, TDestroyHash> Hash;

  TState() : Algorithm(OpenCngAlgorithm(BCRYPT_SHA256_ALGORITHM)) { Start(); }

  void Start() {
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!BCRYPT_SUCCESS(::BCryptCreateHash(Algorithm.get(), &hash, nullptr, 0, nullptr, 0, 0))) {
      throw ECryptoError("BCryptCreateHash failed");
    }
    Hash.reset(hash);
  }
};

TSha256::TSha256() : state_(std::make_unique<TState>()) {}

TSha256::~TSha256() = default;

void TSha256::Update(const void* data, std::size_t size) {
  // BCryptHashData takes at most a ULONG at a time.
  constexpr std::size_t kMaxPiece = std::numeric_limits<ULONG>::max();
  auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
  while (size > 0) {
    const std::size_t piece = size < kMaxPiece ? size : kMaxPiece;
    if (!BCRYPT_SUCCESS(::BCryptHashData(state_->Hash.get(), bytes, static_cast<ULONG>(piece), 0))) {
      throw ECryptoError("BCryptHashData failed");
    }
    bytes += piece;
    size -= piece;
  }
}

TSha256::TDigest TSha256::Finish() {
  TDigest digest{};
  if (!BCRYPT_SUCCESS(::BCryptFinishHash(state_->Hash.get(), digest.data(), kDigestSize, 0))) {
    throw ECryptoError("BCryptFinishHash failed");
  }
  state_->Start();
  return digest;
}

}  // namespace bailan

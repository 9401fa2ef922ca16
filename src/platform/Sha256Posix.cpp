// SHA-256 through libcrypto's EVP interface.
#include <openssl/evp.h>

#include "platform/Sha256.h"

namespace bailan {

struct TSha256::TState {
  struct TFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
  };
  std::unique_ptr<EVP_MD_CTX, TFree> Context{EVP_MD_CTX_new()};

  void Start() {
    if (!Context || EVP_DigestInit_ex(Context.get(), EVP_sha256(), nullptr) != 1) {
      throw ECryptoError("EVP_DigestInit_ex failed");
    }
  }
};

TSha256::TSha256() : state_(std::make_unique<TState>()) {
  state_->Start();
}

TSha256::~TSha256() = default;

void TSha256::Update(const void* data, std::size_t size) {
  if (size > 0 && EVP_DigestUpdate(state_->Context.get(), data, size) != 1) {
    throw ECryptoError("EVP_DigestUpdate failed");
  }
}

TSha256::TDigest TSha256::Finish() {
  TDigest digest{};
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(state_->Context.get(), digest.data(), &length) != 1 || length != kDigestSize) {
    throw ECryptoError("EVP_DigestFinal_ex failed");
  }
  state_->Start();
  return digest;
}

}  // namespace bailan

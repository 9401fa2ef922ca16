#pragma once
// Owners of CNG (BCrypt) handles. Include after <windows.h> and <bcrypt.h>.
#include <memory>

#include "platform/Sha256.h"

namespace bailan {

struct TCloseCngAlgorithm {
  void operator()(void* algorithm) const { ::BCryptCloseAlgorithmProvider(algorithm, 0); }
};
using TCngAlgorithm = std::unique_ptr<void, TCloseCngAlgorithm>;

// Opens the provider of `algorithm` (a BCRYPT_*_ALGORITHM name); ECryptoError
// when the system has none.
inline TCngAlgorithm OpenCngAlgorithm(const wchar_t* algorithm) {
  BCRYPT_ALG_HANDLE handle = nullptr;
  if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, 0))) {
    throw ECryptoError("BCryptOpenAlgorithmProvider failed");
  }
  return TCngAlgorithm(handle);
}

}  // namespace bailan

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Exception.h"

namespace bailan {

// A failure of the system's cryptographic library (libcrypto on Linux, CNG on
// Windows): the message names the call that failed.
BAILAN_DECLARE_EXCEPTION(ECryptoError, Exception);

// Incremental SHA-256 through the system's cryptographic library, so that the
// digest of an archive is computed while its bytes pass by, not in a second read.
class TSha256 {
 public:
  static constexpr std::size_t kDigestSize = 32;
  static constexpr std::size_t kHexLength = 2 * kDigestSize;  // "sha256=" values are this many hex digits
  using TDigest = std::array<std::uint8_t, kDigestSize>;

  // A fresh hash; owns its library state. Used by one thread at a time.
  TSha256();
  ~TSha256();
  TSha256(const TSha256&) = delete;
  TSha256& operator=(const TSha256&) = delete;

  void Update(const void* data, std::size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  // The digest of everything given so far; the hash starts afresh afterwards.
  TDigest Finish();

  // The digest of `bytes` in one call.
  static TDigest Of(std::string_view bytes);

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

// 64 lower-case hex digits.
std::string DigestToHex(const TSha256::TDigest& digest);
// Exactly 64 hex digits of either case; anything else (spaces, a prefix, one
// digit more or less) is refused with false and leaves `digest` alone.
bool ParseDigestHex(std::string_view text, TSha256::TDigest& digest);

}  // namespace bailan

#pragma once

#include <string>

#include "platform/Sha256.h"

namespace bailan {

// Bytes read per step while a received archive is hashed: large enough that the
// reads cost little beside the hash, small enough to be a modest buffer.
inline constexpr std::size_t kDigestBlockBytes = 1u << 20;

// The SHA-256 of the file at `path`, read once from start to end in blocks of
// kDigestBlockBytes; no other handle may write it meanwhile. Raises EFOpenError or
// EInOutError.
TSha256::TDigest FileDigest(const std::string& path);

}  // namespace bailan

#pragma once

#include <string>

#include "platform/Sha256.h"
#include "platform/Signature.h"

namespace bailan {

// The key this build checks its manifest with, compiled in from the PEM file
// named by BAILAN_MANIFEST_PUBLIC_KEY; null in a build without one, whose
// manifest is taken unsigned.
const TSignatureKey* BuiltInManifestKey();

// Where a manifest's signature lies: its address followed by ".sig".
std::string SignatureUrl(const std::string& manifestUrl);

// Receives the signature of the manifest at `manifestUrl` (redirects followed,
// at most the longest P-256 signature) and checks it with `key` against
// `digest`, the SHA-256 of the manifest's bytes as received. Returns when it
// holds; otherwise raises ESignatureError with the reason (not received,
// longer than a signature, empty, malformed, by another key or over other
// bytes). GUI thread (the anti-freeze keeps the window answering).
void CheckManifestSignature(const std::string& manifestUrl, const TSha256::TDigest& digest,
                            const TSignatureKey& key);

}  // namespace bailan

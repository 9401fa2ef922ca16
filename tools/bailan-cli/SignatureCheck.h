#pragma once

#include <string>

#include "CheckReport.h"
#include "platform/Sha256.h"

namespace bailan::cli {

// The manifest's signature (its address followed by ".sig") checked as a keyed
// installer checks it, against the maker's public key (a PEM file): a failure
// row with the reason when it does not hold. `digest` is the SHA-256 of the
// manifest's bytes as received.
void CheckSignature(const std::string& manifestUrl, const TSha256::TDigest& digest,
                    const std::string& publicKeyPath, TCheckReport& report);

}  // namespace bailan::cli

#pragma once

#include <string>

#include "CheckReport.h"

namespace bailan::cli {

// The manifest's signature against the maker's public key (a PEM file): a
// failure row when it does not verify. `copyPath` is the manifest as received.
void CheckSignature(const std::string& manifestUrl, const std::string& copyPath,
                    const std::string& publicKeyPath, TCheckReport& report);

}  // namespace bailan::cli

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CheckReport.h"
#include "CheckSettings.h"

namespace bailan::cli {

// Fetches the manifest at `url` as the installer does (its GET, redirects
// followed, the reader's size cap) into a private temporary copy, reads it
// with the installer's INI reader and adds the manifest's rows: the fetch's
// failure, an answer without Content-Length, the redirect hops, a manifest
// without entries, sections whose url the installer never reads, pinned
// digests that are no digests; with a public key also the signature step.
// The entries in the installer's order; nothing when the fetch failed.
std::optional<std::vector<TCheckEntry>> CheckManifest(const std::string& url, const TCheckSettings& settings,
                                                      TCheckReport& report);

}  // namespace bailan::cli

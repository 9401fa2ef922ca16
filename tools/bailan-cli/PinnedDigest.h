#pragma once

#include <optional>
#include <string>

#include "platform/IniFile.h"
#include "platform/Sha256.h"

namespace bailan::cli {

// The "sha256" value of a manifest section, read with the installer's INI
// reader: nothing when the section pins no digest. A value that is not 64 hex
// digits sets `bad` to it (and gives nothing).
std::optional<TSha256::TDigest> PinnedDigest(const TIniFile& manifest, const std::string& section,
                                             std::string& bad);

}  // namespace bailan::cli

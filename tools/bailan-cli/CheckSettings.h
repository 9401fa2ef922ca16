#pragma once

#include <optional>
#include <string>

#include "platform/Sha256.h"

namespace bailan::cli {

// How `check` was asked to run.
struct TCheckSettings {
  int ReadTimeoutMs = 0;
  std::optional<std::string> PublicKeyPath;  // --public-key PEM
};

// One manifest entry as `check` examines it.
struct TCheckEntry {
  std::string Section;
  std::string Url;
  std::optional<TSha256::TDigest> Pin;  // the entry's pinned "sha256=" digest
};

}  // namespace bailan::cli

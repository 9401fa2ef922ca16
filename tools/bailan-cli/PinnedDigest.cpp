#include "PinnedDigest.h"

namespace bailan::cli {

std::optional<TSha256::TDigest> PinnedDigest(const TIniFile& manifest, const std::string& section,
                                             std::string& bad) {
  const std::string text = manifest.ReadString(section, "sha256", "");
  if (text.empty()) return std::nullopt;
  TSha256::TDigest digest{};
  if (ParseDigestHex(text, digest)) return digest;
  bad = text;
  return std::nullopt;
}

}  // namespace bailan::cli

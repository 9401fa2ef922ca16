#include "engine/ArchiveDigest.h"

#include <vector>

#include "platform/File.h"

namespace bailan {

TSha256::TDigest FileDigest(const std::string& path) {
  TFile file = TFile::Open(path, TAccess::Read, TShareMode::DenyWrite);
  std::vector<char> block(kDigestBlockBytes);
  TSha256 hash;
  for (std::size_t n; (n = file.Read(block.data(), block.size())) != 0;) hash.Update(block.data(), n);
  return hash.Finish();
}

}  // namespace bailan

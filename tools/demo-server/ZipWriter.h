#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bailan::demo {

// One file to be packed: its name inside the archive (CP936 bytes, "/" between
// folders) and its Unix permission bits (0755 for a program).
struct TZipInput {
  std::string Name;
  std::string Data;
  std::uint32_t Mode = 0644;
  bool Compress = true;  // deflate it; otherwise it is stored as is
};

// Builds a ZIP archive as an archiver on a Unix host would: "version made by"
// names host 3, the external attributes carry the file type and permission bits
// in their high 16 bits, and every entry is dated 2025-01-01 12:00:00 so that the
// same input always gives the same bytes.
std::string BuildUnixZip(const std::vector<TZipInput>& files);

}  // namespace bailan::demo

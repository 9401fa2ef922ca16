#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bailan::test {

// Writes ZIP archives byte by byte for tests that need headers no archiver
// would write: wrong CRCs, odd names, impossible dates, truncated data.
struct TZipBuilderEntry {
  std::string Name;          // raw bytes as stored
  std::string Data;          // uncompressed content
  std::uint16_t Method = 0;  // 0 stored, 8 deflated (compressed here); other values store Data as is
  std::uint16_t Flags = 0;
  std::uint16_t DosTime = 0x6000;        // 12:00:00
  std::uint16_t DosDate = 0x5A21;        // 2025-01-01
  std::uint16_t VersionMadeBy = 0x0014;  // MS-DOS, 2.0
  std::uint32_t ExternalAttributes = 0;
  bool OverrideCrc = false;
  std::uint32_t Crc = 0;
  bool OverrideSize = false;
  std::uint32_t UncompressedSize = 0;
  bool OverrideCompressedSize = false;
  std::uint32_t CompressedSize = 0;
  bool Precompressed = false;       // Data is the compressed data, written as is (give Crc and the size)
  std::int64_t CentralOnlyAt = -1;  // 0 or more: only a central record, naming this local header offset
};

class TZipBuilder {
 public:
  TZipBuilder& Add(TZipBuilderEntry entry);
  TZipBuilder& AddFile(const std::string& name, const std::string& data, std::uint16_t method = 0);
  TZipBuilder& Comment(std::string comment);
  // The disk numbers the end record gives (a part of a multi-part set).
  TZipBuilder& Disks(std::uint16_t thisDisk, std::uint16_t directoryDisk);

  std::string Build() const;
  // Also the offsets of each local header and of the central directory.
  std::string Build(std::vector<std::size_t>& localOffsets, std::size_t& directoryOffset) const;

 private:
  std::vector<TZipBuilderEntry> entries_;
  std::string comment_;
  std::uint16_t thisDisk_ = 0, directoryDisk_ = 0;
};

// Raw deflate of `data` (zlib, window bits -15). Without `finish` the stream
// ends in a full flush instead of a final block: copies of it can be joined.
std::string RawDeflate(const std::string& data, bool finish = true);

}  // namespace bailan::test

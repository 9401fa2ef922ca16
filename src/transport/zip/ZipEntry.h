#pragma once

#include <cstdint>
#include <string>

namespace bailan {

// One entry of an archive's directory, as the central header (or, after a
// recovery scan, the local header) describes it. Sizes and offsets are 64-bit.
struct TZipEntry {
  std::uint16_t VersionMadeBy = 0;  // high byte: the host system (0 = MS-DOS)
  std::uint16_t Flags = 0;
  std::uint16_t Method = 0;
  std::uint16_t DosTime = 0;  // sanitised
  std::uint16_t DosDate = 0;  // sanitised
  std::uint32_t Crc32 = 0;
  std::uint64_t CompressedSize = 0;
  std::uint64_t UncompressedSize = 0;
  std::uint32_t ExternalAttributes = 0;
  std::uint64_t LocalHeaderOffset = 0;
  // Where the central directory was found displaced from the offset the end
  // record gives (data added in front, a hand-edited archive), the local
  // headers may be displaced by as much: tried when none is at the offset.
  std::int64_t OffsetShift = 0;
  // The name in CP936 with "\" separators; Path is up to and including its last
  // "\", Name the rest (empty for a directory entry).
  std::string FileName;
  std::string Path;
  std::string Name;

  bool IsDirectory() const { return Name.empty(); }
  bool IsEncrypted() const;
};

}  // namespace bailan

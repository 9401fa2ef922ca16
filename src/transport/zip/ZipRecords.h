#pragma once

#include <cstddef>
#include <cstdint>

// Little-endian field access and the fixed layouts of the ZIP records
// (PKWARE APPNOTE): signatures, record sizes and field offsets.
namespace bailan::zip {

inline std::uint16_t GetU16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t GetU64(const unsigned char* p) {
  return static_cast<std::uint64_t>(GetU32(p)) | (static_cast<std::uint64_t>(GetU32(p + 4)) << 32);
}

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
inline constexpr std::uint32_t kEndRecordSignature = 0x06054b50;
inline constexpr std::uint32_t kZip64EndRecordSignature = 0x06064b50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
inline constexpr std::uint32_t kDataDescriptorSignature = 0x08074b50;

inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndRecordSize = 22;
inline constexpr std::size_t kZip64EndRecordSize = 56;
inline constexpr std::size_t kZip64LocatorSize = 20;
inline constexpr std::size_t kMaxCommentLength = 65535;
// The end record plus the longest comment: the part of the file searched for it.
inline constexpr std::size_t kEndSearchSize = kEndRecordSize + kMaxCommentLength;
// A data descriptor with its signature (CRC and two 32-bit sizes follow it).
inline constexpr std::size_t kDataDescriptorSize = 16;
inline constexpr std::size_t kDataDescriptorSizeNoSignature = 12;

// Field offsets in the local header.
namespace local {
inline constexpr std::size_t kFlags = 6, kNameLength = 26, kExtraLength = 28;
}
// Field offsets in the central header.
namespace central {
inline constexpr std::size_t kVersionMadeBy = 4, kFlags = 8, kNameLength = 28, kExtraLength = 30,
                             kCommentLength = 32, kExternalAttributes = 38, kLocalHeaderOffset = 42;
}
// Both headers share one layout from the general purpose flags to the
// uncompressed size; offsets from the flags.
namespace shared {
inline constexpr std::size_t kMethod = 2, kTime = 4, kDate = 6, kCrc = 8, kCompressedSize = 12,
                             kUncompressedSize = 16;
}
// Field offsets in the end record, its Zip64 locator and the Zip64 end record.
namespace end {
inline constexpr std::size_t kThisDisk = 4, kDirectoryDisk = 6, kTotalEntries = 10, kDirectorySize = 12,
                             kDirectoryOffset = 16, kCommentLength = 20;
inline constexpr std::size_t kLocatorEndRecordOffset = 8;
inline constexpr std::size_t kZip64ThisDisk = 16, kZip64DirectoryDisk = 20, kZip64TotalEntries = 32,
                             kZip64DirectorySize = 40, kZip64DirectoryOffset = 48;
}  // namespace end

// General purpose flag bits.
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagImplode8KDictionary = 0x0002;
inline constexpr std::uint16_t kFlagImplode3Trees = 0x0004;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8Name = 0x0800;

// Extra field id of the Zip64 extended information.
inline constexpr std::uint16_t kZip64ExtraId = 0x0001;
// A 32-bit size or offset field with this value is given in the Zip64 extra field.
inline constexpr std::uint32_t kZip64Marker = 0xFFFFFFFF;

// Compression methods.
enum TZipMethod : std::uint16_t {
  kStored = 0,
  kShrunk = 1,
  kReduced1 = 2,
  kReduced4 = 5,
  kImploded = 6,
  kDeflated = 8,
};

}  // namespace bailan::zip

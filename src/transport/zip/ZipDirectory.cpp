#include "transport/zip/ZipDirectory.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <memory>

#include "platform/Cp936.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "transport/zip/ZipDosTime.h"
#include "transport/zip/ZipExceptions.h"
#include "transport/zip/ZipFileReader.h"
#include "transport/zip/ZipRecords.h"

namespace bailan {
namespace {

using namespace zip;

// Self-extracting programs ("*.EXE") carry their unpacker first; the recovery
// scan starts past it.
constexpr std::uint64_t kSelfExtractorStubSize = 14000;
// A local header's version field has the host system in its high byte; real
// archivers write values below this, which tells a header from chance bytes.
constexpr unsigned kMaxHostSystem = 10;
constexpr std::uint16_t kMsDosHost = 0;

std::string CompanionName(const std::string& zipName) {
  std::string ext = ExtractFileExt(zipName);
  return zipName.substr(0, zipName.size() - ext.size()) + ".zfc";
}

bool EndsWithExeIgnoringCase(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return tail == ".EXE";
}

// Walks the extra field's blocks for the Zip64 extended information and takes
// the values whose 32-bit fields hold the marker, in the order the format fixes.
void ApplyZip64Extra(const unsigned char* extra, std::size_t length, bool usizeMarked, bool csizeMarked,
                     bool offsetMarked, TZipEntry& entry) {
  std::size_t pos = 0;
  while (pos + 4 <= length) {
    std::uint16_t id = GetU16(extra + pos);
    std::size_t size = GetU16(extra + pos + 2);
    pos += 4;
    if (size > length - pos) return;  // a block running past the field: ignore the rest
    if (id == kZip64ExtraId) {
      const unsigned char* p = extra + pos;
      std::size_t left = size;
      auto take = [&](std::uint64_t& value) {
        if (left < 8) return;
        value = GetU64(p);
        p += 8;
        left -= 8;
      };
      if (usizeMarked) take(entry.UncompressedSize);
      if (csizeMarked) take(entry.CompressedSize);
      if (offsetMarked) take(entry.LocalHeaderOffset);
      return;
    }
    pos += size;
  }
}

// The fields local and central headers share, in the same layout, from the
// general purpose flags on; `flags` points at them.
void ReadSharedHeaderFields(const unsigned char* flags, TZipEntry& entry) {
  entry.Flags = GetU16(flags);
  entry.Method = GetU16(flags + shared::kMethod);
  entry.DosTime = GetU16(flags + shared::kTime);
  entry.DosDate = GetU16(flags + shared::kDate);
  entry.Crc32 = GetU32(flags + shared::kCrc);
  entry.CompressedSize = GetU32(flags + shared::kCompressedSize);
  entry.UncompressedSize = GetU32(flags + shared::kUncompressedSize);
}

}  // namespace

bool TZipEntry::IsEncrypted() const {
  return (Flags & kFlagEncrypted) != 0;
}

void SetZipEntryName(TZipEntry& entry, std::string rawName) {
  if (entry.Flags & kFlagUtf8Name) rawName = Utf8ToCp936(rawName, '_');
  // MS-DOS names are in the OEM code page, which on this system is the ANSI one
  // (936): the bytes stay as they are. "/" is never a trail byte in CP936.
  std::replace(rawName.begin(), rawName.end(), '/', '\\');
  std::size_t last = Cp936FindLast(rawName, '\\');
  std::size_t split = last == std::string::npos ? 0 : last + 1;
  entry.Path = rawName.substr(0, split);
  entry.Name = rawName.substr(split);
  entry.FileName = std::move(rawName);
}

TZipDirectoryReader::TZipDirectoryReader(TFile& archive, std::string zipName, TIncompleteZipMode mode)
    : archive_(archive), zipName_(std::move(zipName)), mode_(mode) {}

std::vector<TZipEntry> TZipDirectoryReader::Read() {
  if (archive_.Size() == 0) return {};  // an empty archive
  TEndRecord record;
  if (!FindEndRecord(archive_, record) || record.ThisDisk < record.DirectoryDisk) {
    if (FileExists(CompanionName(zipName_))) return ReadFromCompanion();
    if (mode_ == TIncompleteZipMode::izAssumeBad) return RecoveryScan();
    throw EIncompleteZip(kIncompleteZipText);
  }
  // Parts of a spanned or split set are not supported: the data of such an
  // archive lies in other files.
  if (record.ThisDisk != 0 || record.DirectoryDisk != 0) throw EIncompleteZip(kIncompleteZipText);
  return ReadCentralDirectory(archive_, record);
}

bool TZipDirectoryReader::FindEndRecord(TFile& file, TEndRecord& record) {
  std::int64_t size = file.Size();
  if (size < static_cast<std::int64_t>(kEndRecordSize)) return false;
  std::size_t tailSize = static_cast<std::size_t>(std::min<std::int64_t>(size, kEndSearchSize));
  std::int64_t tailStart = size - static_cast<std::int64_t>(tailSize);
  auto tail = std::make_unique<unsigned char[]>(tailSize);
  if (!ReadZipBytesAt(file, static_cast<std::uint64_t>(tailStart), tail.get(), tailSize)) return false;
  for (std::size_t pos = tailSize - kEndRecordSize + 1; pos-- > 0;) {
    const unsigned char* p = tail.get() + pos;
    if (GetU32(p) != kEndRecordSignature) continue;
    record.Position = static_cast<std::uint64_t>(tailStart) + pos;
    record.ThisDisk = GetU16(p + end::kThisDisk);
    record.DirectoryDisk = GetU16(p + end::kDirectoryDisk);
    record.TotalEntries = GetU16(p + end::kTotalEntries);
    record.DirectoryOffset = GetU32(p + end::kDirectoryOffset);
    record.DirectorySize = GetU32(p + end::kDirectorySize);
    ApplyZip64EndRecord(file, record);
    return true;
  }
  return false;
}

void TZipDirectoryReader::ApplyZip64EndRecord(TFile& file, TEndRecord& record) {
  if (record.Position < kZip64LocatorSize) return;
  unsigned char locator[kZip64LocatorSize];
  if (!ReadZipBytesAt(file, record.Position - kZip64LocatorSize, locator, sizeof locator) ||
      GetU32(locator) != kZip64LocatorSignature) {
    return;
  }
  unsigned char zip64[kZip64EndRecordSize];
  if (!ReadZipBytesAt(file, GetU64(locator + end::kLocatorEndRecordOffset), zip64, sizeof zip64) ||
      GetU32(zip64) != kZip64EndRecordSignature) {
    return;
  }
  record.ThisDisk = GetU32(zip64 + end::kZip64ThisDisk);
  record.DirectoryDisk = GetU32(zip64 + end::kZip64DirectoryDisk);
  record.TotalEntries = GetU64(zip64 + end::kZip64TotalEntries);
  record.DirectoryOffset = GetU64(zip64 + end::kZip64DirectoryOffset);
  record.DirectorySize = GetU64(zip64 + end::kZip64DirectorySize);
}

// When no central header is at the offset the end record gives, but one is
// where the directory's size says it must start (just before the end record),
// the directory is read from there and the difference returned as the shift.
std::int64_t TZipDirectoryReader::FindDirectoryStart(TFile& file, TEndRecord& record) {
  unsigned char signature[4];
  if (ReadZipBytesAt(file, record.DirectoryOffset, signature, sizeof signature) &&
      GetU32(signature) == kCentralHeaderSignature) {
    return 0;
  }
  if (record.DirectorySize > record.Position) return 0;
  std::uint64_t start = record.Position - record.DirectorySize;
  if (start == record.DirectoryOffset || !ReadZipBytesAt(file, start, signature, sizeof signature) ||
      GetU32(signature) != kCentralHeaderSignature) {
    return 0;
  }
  std::int64_t shift = static_cast<std::int64_t>(start - record.DirectoryOffset);
  record.DirectoryOffset = start;
  return shift;
}

std::vector<TZipEntry> TZipDirectoryReader::ReadFromCompanion() {
  TFile companion = TFile::Open(CompanionName(zipName_), TAccess::Read, TShareMode::DenyWrite);
  TEndRecord record;
  if (!FindEndRecord(companion, record)) throw EIncompleteZip(kIncompleteZipText);
  return ReadCentralDirectory(companion, record);
}

std::vector<TZipEntry> TZipDirectoryReader::ReadCentralDirectory(TFile& file, TEndRecord record) {
  std::vector<TZipEntry> entries;  // grows with the headers read, not with the count claimed
  std::int64_t shift = FindDirectoryStart(file, record);
  TZipFileReader reader(file, record.DirectoryOffset);
  unsigned char header[kCentralHeaderSize];
  std::string name, extra;
  for (std::uint64_t i = 0; i < record.TotalEntries; ++i) {
    if (!reader.Read(header, sizeof header) || GetU32(header) != kCentralHeaderSignature) {
      return RecoveryScan();
    }
    TZipEntry entry;
    entry.VersionMadeBy = GetU16(header + central::kVersionMadeBy);
    ReadSharedHeaderFields(header + central::kFlags, entry);
    bool csizeMarked = entry.CompressedSize == kZip64Marker;
    bool usizeMarked = entry.UncompressedSize == kZip64Marker;
    std::uint32_t offset = GetU32(header + central::kLocalHeaderOffset);
    entry.LocalHeaderOffset = offset;
    entry.OffsetShift = shift;
    entry.ExternalAttributes = GetU32(header + central::kExternalAttributes);
    name.resize(GetU16(header + central::kNameLength));
    extra.resize(GetU16(header + central::kExtraLength));
    if (!reader.Read(name.data(), name.size()) || !reader.Read(extra.data(), extra.size())) {
      return RecoveryScan();
    }
    reader.Skip(GetU16(header + central::kCommentLength));
    ApplyZip64Extra(reinterpret_cast<const unsigned char*>(extra.data()), extra.size(), usizeMarked,
                    csizeMarked, offset == kZip64Marker, entry);
    SanitiseDosDateTime(entry.DosDate, entry.DosTime);
    SetZipEntryName(entry, name);
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool TZipDirectoryReader::FindFirstLocalHeader(TZipFileReader& reader) {
  // Byte by byte: "PK\3\4" followed by a version whose host byte is plausible.
  unsigned char probe[6];
  for (;;) {
    std::uint64_t at = reader.Position();
    if (!reader.Read(probe, sizeof probe)) return false;
    if (GetU32(probe) == kLocalHeaderSignature && probe[5] < kMaxHostSystem) {
      reader.SeekTo(at);
      return true;
    }
    reader.SeekTo(at + 1);
  }
}

bool TZipDirectoryReader::ReadLocalEntry(TZipFileReader& reader, TZipEntry& entry) {
  unsigned char header[kLocalHeaderSize];
  entry.LocalHeaderOffset = reader.Position();
  if (!reader.Read(header, sizeof header) || GetU32(header) != kLocalHeaderSignature) return false;
  entry.VersionMadeBy = static_cast<std::uint16_t>(kMsDosHost << 8);
  ReadSharedHeaderFields(header + local::kFlags, entry);
  std::string name(GetU16(header + local::kNameLength), '\0');
  std::string extra(GetU16(header + local::kExtraLength), '\0');
  if (!reader.Read(name.data(), name.size()) || !reader.Read(extra.data(), extra.size())) return false;
  // A local header's Zip64 extra field holds both sizes whenever it is present.
  bool zip64 = entry.CompressedSize == kZip64Marker || entry.UncompressedSize == kZip64Marker;
  ApplyZip64Extra(reinterpret_cast<const unsigned char*>(extra.data()), extra.size(), zip64, zip64, false,
                  entry);
  SanitiseDosDateTime(entry.DosDate, entry.DosTime);
  SetZipEntryName(entry, std::move(name));
  reader.Skip(entry.CompressedSize);
  if (entry.Flags & kFlagDataDescriptor) {
    // The descriptor after the data: with its signature 16 bytes, without 12.
    unsigned char descriptor[kDataDescriptorSize];
    std::uint64_t at = reader.Position();
    if (reader.Read(descriptor, sizeof descriptor) && GetU32(descriptor) == kDataDescriptorSignature) {
      reader.SeekTo(at + kDataDescriptorSize);
    } else {
      reader.SeekTo(at + kDataDescriptorSizeNoSignature);
    }
  }
  return true;
}

std::vector<TZipEntry> TZipDirectoryReader::RecoveryScan() {
  std::uint64_t start = EndsWithExeIgnoringCase(zipName_) ? kSelfExtractorStubSize : 0;
  TZipFileReader reader(archive_, start);
  std::vector<TZipEntry> entries;
  if (FindFirstLocalHeader(reader)) {
    TZipEntry entry;
    while (ReadLocalEntry(reader, entry)) {
      entries.push_back(std::move(entry));
      entry = TZipEntry();
    }
  }
  if (entries.empty()) throw EBadZipFile(kBadZipFileText);
  return entries;
}

}  // namespace bailan

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/File.h"
#include "transport/zip/ZipEntry.h"

namespace bailan {

// What a missing end-of-central-directory record means.
enum class TIncompleteZipMode {
  izAssumeMulti,  // a part of a multi-part set: fail with EIncompleteZip
  izAssumeBad,    // a damaged archive: rebuild the directory by the recovery scan
};

// Reads an archive's directory: the end record (searched backwards over the
// last 65557 bytes), the Zip64 end record where a locator names one, the central
// headers, and, when a central header cannot be read, a scan of the local
// headers. Entries keep the directory's order. Memory grows only with the
// headers actually present, never with the counts or sizes the archive claims.
class TZipDirectoryReader {
 public:
  // `archive` is borrowed, open for reading, for the duration of Read();
  // `zipName` is its path (for the ".zfc" companion and the ".EXE" rule). One thread.
  TZipDirectoryReader(TFile& archive, std::string zipName, TIncompleteZipMode mode);
  TZipDirectoryReader(const TZipDirectoryReader&) = delete;
  TZipDirectoryReader& operator=(const TZipDirectoryReader&) = delete;

  // Raises EIncompleteZip, EBadZipFile, EFOpenError (companion) or EInOutError.
  std::vector<TZipEntry> Read();

 private:
  struct TEndRecord {
    std::uint64_t Position = 0;
    std::uint32_t ThisDisk = 0;
    std::uint32_t DirectoryDisk = 0;
    std::uint64_t TotalEntries = 0;
    std::uint64_t DirectoryOffset = 0;
    std::uint64_t DirectorySize = 0;
  };

  static bool FindEndRecord(TFile& file, TEndRecord& record);
  static void ApplyZip64EndRecord(TFile& file, TEndRecord& record);
  std::vector<TZipEntry> ReadFromCompanion();
  static std::int64_t FindDirectoryStart(TFile& file, TEndRecord& record);
  std::vector<TZipEntry> ReadCentralDirectory(TFile& file, TEndRecord record);
  std::vector<TZipEntry> RecoveryScan();
  bool FindFirstLocalHeader(class TZipFileReader& reader);
  static bool ReadLocalEntry(TZipFileReader& reader, TZipEntry& entry);

  TFile& archive_;
  std::string zipName_;
  TIncompleteZipMode mode_;
};

// Fills FileName, Path and Name from a raw header name: a name flagged UTF-8 is
// converted to CP936 ("_" for what CP936 cannot hold), then every "/" becomes "\".
void SetZipEntryName(TZipEntry& entry, std::string rawName);

}  // namespace bailan

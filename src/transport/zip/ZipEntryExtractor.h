#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/File.h"
#include "transport/zip/ZipDataRanges.h"
#include "transport/zip/ZipDestination.h"
#include "transport/zip/ZipEntry.h"
#include "transport/zip/ZipExtractBuffers.h"

namespace bailan {

class TZipEntryInput;
class TZipEntryOutput;

// What happens to an existing file of an entry's name.
enum class TUZOverwriteMode {
  Prompt,   // nobody to ask here: the existing file is kept
  Always,   // replaced
  Never,    // kept
  ifNewer,  // replaced when the entry is newer than the file
  ifOlder,  // replaced when the entry is older than the file
};

// The settings that decide how one entry is written.
struct TZipEntrySettings {
  bool RetainAttributes = true;
  TUZOverwriteMode OverwriteMode = TUZOverwriteMode::Prompt;
  bool ReplaceReadOnly = false;
};

// Writes single entries of one archive to their resolved destinations: folder
// entries made, files decoded by their method and kept only when their size and
// CRC-32 come out right, with the entry's time and its read-only attribute (or,
// for an entry made on a Unix host, its permission bits). An
// entry whose data (local header through compressed data) overlaps the data of
// an entry taken before is skipped like an entry that cannot be read.
class TZipEntryExtractor {
 public:
  // `archive` is borrowed, open for reading and used by this object alone while
  // it lives; `notifyUnknownMethod` is called (blocking) for an entry of a
  // method not decoded here. Owns its buffers and inflate stream. One thread.
  TZipEntryExtractor(TZipEntrySettings settings, TFile& archive, std::function<void()> notifyUnknownMethod);
  TZipEntryExtractor(const TZipEntryExtractor&) = delete;
  TZipEntryExtractor& operator=(const TZipEntryExtractor&) = delete;

  // True when the entry was handled (a file written with a matching CRC, or a
  // folder made). Skipped entries give false; EFatalUnzipError and
  // EZCompressionError end the extraction, the half-written file removed.
  bool Extract(const TZipEntry& entry, const TZipDestination& destination);

 private:
  bool LocateEntryData(const TZipEntry& entry, std::uint64_t& headerOffset, std::uint64_t& dataOffset);
  bool TakeEntryData(const TZipEntry& entry, std::uint64_t headerOffset, std::uint64_t dataOffset);
  bool MakeRoomForFile(const TZipEntry& entry, const std::string& fullName);
  bool WriteEntryFile(const TZipEntry& entry, std::uint64_t dataOffset, const std::string& fullName);
  void DecodeEntryData(const TZipEntry& entry, TZipEntryInput& input, TZipEntryOutput& output);
  void ApplyTimeAndAttributes(const TZipEntry& entry, const std::string& fullName);

  TZipEntrySettings settings_;
  TFile& archive_;
  std::function<void()> notifyUnknownMethod_;
  TZipExtractBuffers buffers_;
  TZipDataRanges taken_;
};

// Whether a method number is one this extractor decodes.
bool IsSupportedZipMethod(std::uint16_t method);

}  // namespace bailan

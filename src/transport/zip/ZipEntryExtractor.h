#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/File.h"
#include "transport/zip/ZipDestination.h"
#include "transport/zip/ZipEntry.h"

namespace bailan {

class TZipDecodeAhead;

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

// Writes single entries of one archive to their resolved destinations, in
// order: folder entries made, files written from what the decode-ahead threads
// decoded and kept only when their size and CRC-32 come out right, with the
// entry's time and its read-only attribute (or, for an entry made on a Unix
// host, its permission bits). An entry whose data (local header through
// compressed data) overlaps the data of an entry taken before is skipped like
// an entry that cannot be read.
class TZipEntryExtractor {
 public:
  // `decoded` is borrowed and decodes, in the same order, the entries with
  // IsDecodedZipEntry that will be given to Extract; `notifyUnknownMethod` is
  // called (blocking) for an entry of a method not decoded here. The
  // committing thread alone.
  TZipEntryExtractor(TZipEntrySettings settings, TZipDecodeAhead& decoded,
                     std::function<void()> notifyUnknownMethod);
  TZipEntryExtractor(const TZipEntryExtractor&) = delete;
  TZipEntryExtractor& operator=(const TZipEntryExtractor&) = delete;

  // True when the entry was handled (a file written with a matching CRC, or a
  // folder made). Skipped entries give false; EFatalUnzipError and
  // EZCompressionError end the extraction, the half-written file removed.
  bool Extract(const TZipEntry& entry, const TZipDestination& destination);

 private:
  bool CreateEntryFile(const TZipEntry& entry, const std::string& fullName, std::uint32_t newFileMode,
                       TFile& file, bool& isNew);
  bool MakeRoomForFile(const TZipEntry& entry, const std::string& fullName);
  bool WriteEntryFile(const TZipEntry& entry, const std::string& fullName, TFile& file);
  bool WriteDecodedData(const TZipEntry& entry, TFile& file);
  bool PrepareFolder(const TZipDestination& destination, bool& exists);
  void ApplyAttributes(const TZipEntry& entry, const std::string& fullName);

  TZipEntrySettings settings_;
  TZipDecodeAhead& decoded_;
  std::function<void()> notifyUnknownMethod_;
  std::string preparedFolder_;  // the last folder made and found free of links
};

// Whether a method number is one this extractor decodes.
bool IsSupportedZipMethod(std::uint16_t method);

}  // namespace bailan

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/IniFile.h"
#include "receive/ResourceRecords.h"

namespace bailan {

class TReceiveLists;

// A manifest that lists an archive with a "sha256" value that is not exactly 64
// hex digits: the maker's error. The message names the section.
BAILAN_DECLARE_EXCEPTION(EManifestError, Exception);

// One archive a manifest lists: its address and, when the section gives one,
// the SHA-256 its bytes must have (64 lower-case hex digits, else empty).
struct TManifestEntry {
  std::string Section;
  std::string Url;
  std::string Sha256;
};

// The entries of a manifest: the "url" of the sections "bailan", "file1" ..
// "file20" in that order, reading ending at the first "error" (the default of
// a missing key), empty values skipped; beside each url its "sha256" of either
// letter case. Raises EManifestError for an entry whose "sha256" is present but
// not 64 hex digits (empty included): such an archive is never installed
// unchecked, and no part of the manifest is taken.
std::vector<TManifestEntry> ManifestEntries(const TIniFile& manifest);

// The product folder of an installation: the install folder, "\" (PathDelim),
// the product name. Raises Exception when it does not fit a record's SavePath
// field: a cut path would name another folder and the launcher would fail.
std::string ProductFolder(const std::string& installPath, const std::string& productName);

// Segments of every job made from a manifest.
inline constexpr std::int32_t kManifestSegments = 3;
// The default of a missing url, and the word that ends reading.
inline constexpr const char* kEndOfManifest = "error";

// The records of the manifest's entries (ManifestEntries, whose failure it
// raises). Every record is named "柏岚软件", saved to the product folder in three
// segments.
std::vector<TResourceRec> ManifestRecords(const TIniFile& manifest, const std::string& installPath,
                                          const std::string& productName);

// Appends the manifest's records to the pending list with one idle job each.
// GUI thread; nothing is appended when the product folder is refused.
void AddToDownLoadList(TReceiveLists& lists, const TIniFile& manifest, const std::string& installPath,
                       const std::string& productName);

}  // namespace bailan

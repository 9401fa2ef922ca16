#pragma once

#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "receive/ResourceRecords.h"

namespace bailan {

class TReceiveLists;

// The product folder of an installation: the install folder, "\" (PathDelim),
// the product name. Raises Exception when it does not fit a record's SavePath
// field: a cut path would name another folder and the launcher would fail.
std::string ProductFolder(const std::string& installPath, const std::string& productName);

// Segments of every job made from a manifest.
inline constexpr std::int32_t kManifestSegments = 3;
// The default of a missing url, and the word that ends reading.
inline constexpr const char* kEndOfManifest = "error";

// One address a manifest lists, with the section that gave it.
struct TManifestEntry {
  std::string Section;
  std::string Url;
};

// The addresses a manifest lists: the "url" of the sections "bailan", "file1"
// .. "file20" in that order, reading ending at the first "error" (the default of
// a missing key), empty values skipped.
std::vector<TManifestEntry> ManifestEntries(const TIniFile& manifest);

// The records of ManifestEntries, one each. Every record is named "柏岚软件", saved to
// the product folder in three segments.
std::vector<TResourceRec> ManifestRecords(const TIniFile& manifest, const std::string& installPath,
                                          const std::string& productName);

// Appends the manifest's records to the pending list with one idle job each.
// GUI thread; nothing is appended when the product folder is refused.
void AddToDownLoadList(TReceiveLists& lists, const TIniFile& manifest, const std::string& installPath,
                       const std::string& productName);

}  // namespace bailan

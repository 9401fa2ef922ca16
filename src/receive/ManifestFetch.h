#pragma once

#include <memory>
#include <string>

#include "platform/IniFile.h"

namespace bailan {

// The manifest loaded by the last successful fetch; null before the first. GUI
// thread only.
const TIniFile* ManifestIni();
// Replaces (or with null, forgets) the loaded manifest.
void SetManifestIni(std::unique_ptr<TIniFile> ini);

// Where the manifest is kept: "update.ini" in the TEMP folder.
std::string ManifestPath();

// Fetches ManifestURL() into ManifestPath() and loads it as ManifestIni(): true
// on success. The body is received into a private new file in the same folder,
// at most TIniFile::kMaxFileSize bytes of it, and renamed over ManifestPath()
// once it is whole; a failed fetch deletes it and leaves ManifestPath() as it
// was. Every failure of the transfer gives false without a message; a folder
// that takes no new file, or a copy that cannot take the name, raises
// EFCreateError. A manifest that lists an archive with a malformed "sha256"
// (ManifestEntries) gives false too, with the reason naming its section, and
// no manifest is loaded. Runs on the GUI thread, which
// keeps answering the user through the registered anti-freeze meanwhile.
bool FetchManifest();
// The same from another address (tests).
bool FetchManifestFrom(const std::string& url);
// Why the last fetch gave false (the failure's text); empty after a success.
const std::string& ManifestFetchFailure();

}  // namespace bailan

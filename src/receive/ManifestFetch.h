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
// on success. Every failure of the transfer gives false without a message; a
// file that cannot be created raises EFCreateError. Runs on the GUI thread,
// which keeps answering the user through the registered anti-freeze meanwhile.
bool FetchManifest();
// The same from another address (tests).
bool FetchManifestFrom(const std::string& url);

}  // namespace bailan

#pragma once

#include <filesystem>
#include <string>

#include "DemoProduct.h"

namespace bailan::demo {

// Where the installer looks for each page on the maker's server.
inline constexpr const char* kManifestPath = "/install/Tavro/Live.txt";
inline constexpr const char* kArchivePath = "/install/Tavro/";
inline constexpr const char* kShowcasePath = "/install/VADav/index.html";
inline constexpr const char* kLicencePath = "/xukexieyi.html";

// Writes the demo product's web site below `root` (created when missing): the
// manifest, the three archives it lists, the showcase and the licence page.
// `serverUrl` ("http://127.0.0.1:18931") is the address the manifest's urls use;
// `program` the bytes of the product's "BL.exe". With `tamperedArchive` (a file
// name such as "BLHelp.zip") that archive is changed after its digest went into
// the manifest. Throws std::exception when a file cannot be written or no
// archive bears the tampered name.
void WriteDemoSite(const std::filesystem::path& root, const std::string& serverUrl,
                   const std::string& program = ShellProgramStandIn(),
                   const std::string& tamperedArchive = "");

}  // namespace bailan::demo

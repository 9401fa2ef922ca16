#pragma once

#include <filesystem>

namespace bailan::demo {

// The demo's key pair, in this repository for all to see: it proves nothing
// and must never sign a real manifest. The installer's test build
// (bailan-setup-e2e) checks the demo manifest with its public half.
const char* DemoPublicKeyPem();
const char* DemoPrivateKeyPem();

// Where the manifest's signature is served: the manifest's path + ".sig".
inline constexpr const char* kManifestSignaturePath = "/install/Tavro/Live.txt.sig";

// Signs the manifest that WriteDemoSite wrote below `root` with the demo key
// and writes its signature beside it. With `tamper` the manifest is then
// changed (a line appended), as an attacker on the way would: the signature no
// longer holds. Throws std::exception when a file cannot be read or written,
// and where signing is not available (Windows).
void SignDemoManifest(const std::filesystem::path& root, bool tamper);

}  // namespace bailan::demo

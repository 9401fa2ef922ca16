#pragma once

#include <memory>
#include <string>

#include "platform/IniFile.h"
#include "platform/Sha256.h"
#include "platform/Signature.h"

namespace bailan {

class TFileStream;
class THttpClient;

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
// EFCreateError. A build with a manifest key (BuiltInManifestKey) also
// receives the manifest's signature and refuses, as a failed transfer, a
// manifest whose signature is missing, unreadable or not the key's over the
// bytes received. A manifest that lists an archive with a malformed "sha256"
// (ManifestEntries) gives false too, with the reason naming its section, and
// no manifest is loaded. Runs on the GUI thread, which keeps answering the
// user through the registered anti-freeze meanwhile.
bool FetchManifest();
// The same from another address (tests), with the build's key.
bool FetchManifestFrom(const std::string& url);
// The same with `key` (null: unsigned), whatever the build's.
bool FetchManifestFrom(const std::string& url, const TSignatureKey* key);
// The manifest's GET as FetchManifest sends it (the client's default request
// fields, redirects followed), its body written into `file` and refused past
// TIniFile::kMaxFileSize bytes. `client` is fresh but for what the caller sets
// (the read time-out, an observer). Returns the SHA-256 of the bytes written
// (what the manifest's signature is checked against); raises the transfer's failure.
TSha256::TDigest ReceiveManifest(THttpClient& client, const std::string& url, TFileStream& file);
// Why the last fetch gave false (the failure's text); empty after a success.
const std::string& ManifestFetchFailure();

}  // namespace bailan

#include "receive/ManifestFetch.h"

#include "platform/Exception.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Path.h"
#include "receive/BoundedStream.h"
#include "receive/GlobalTexts.h"
#include "receive/ManifestJobs.h"
#include "receive/ManifestSignature.h"
#include "transport/http/HttpClient.h"

namespace bailan {
namespace {

constexpr int kManifestReadTimeoutMs = 30000;  // a server silent this long fails the fetch
// The reader reads no more than this; a longer answer is no manifest.
constexpr std::int64_t kMaxManifestBytes = TIniFile::kMaxFileSize;

std::unique_ptr<TIniFile>& Loaded() {
  static std::unique_ptr<TIniFile> ini;
  return ini;
}

std::string& LastFailure() {
  static std::string failure;
  return failure;
}

}  // namespace

const TIniFile* ManifestIni() {
  return Loaded().get();
}

void SetManifestIni(std::unique_ptr<TIniFile> ini) {
  Loaded() = std::move(ini);
}

std::string ManifestPath() {
  return IncludeTrailingPathDelimiter(TempDirectory()) + "update.ini";
}

const std::string& ManifestFetchFailure() {
  return LastFailure();
}

TSha256::TDigest ReceiveManifest(THttpClient& client, const std::string& url, TFileStream& file) {
  client.SetHandleRedirects(true);
  TBoundedStream target(file, kMaxManifestBytes, "The manifest");
  client.GetToStream(url, target);
  return target.Digest();
}

bool FetchManifestFrom(const std::string& url) {
  return FetchManifestFrom(url, BuiltInManifestKey());
}

bool FetchManifestFrom(const std::string& url, const TSignatureKey* key) {
  const std::string path = ManifestPath();
  THttpClient client;
  client.SetReadTimeout(kManifestReadTimeoutMs);
  LastFailure().clear();
  // The body goes to a private new file beside the copy and takes the copy's
  // name only once it is whole: nothing planted under "update.ini" (a link, a
  // file) is ever written through or read as the manifest.
  TFileStream file(TFile::CreateTemporary(path));
  const std::string temporary = file.File().Path();
  try {
    const TSha256::TDigest digest = ReceiveManifest(client, url, file);
    // With a key, the bytes received must be the ones the maker signed before
    // they take the copy's name or are read as a manifest.
    if (key) CheckManifestSignature(url, digest, *key);
  } catch (const ESignatureError& error) {
    LastFailure() = "The manifest is refused: " + error.Message();
  } catch (const std::exception& error) {
    LastFailure() = error.what();  // a failed transfer; page 2 reports it
  }
  file.File().Close();
  if (!LastFailure().empty()) {
    DeleteFile(temporary);
    return false;
  }
  // A copy that cannot take the name (a read-only "update.ini", a folder of
  // that name) is a file that cannot be created, reported as such.
  std::string reason;
  if (!ReplaceFile(temporary, path, &reason)) {
    DeleteFile(temporary);
    throw EFCreateError(Format("Cannot create file \"%s\". %s", path, reason));
  }
  auto ini = std::make_unique<TIniFile>(path);
  try {
    ManifestEntries(*ini);  // a manifest that lists an archive with a malformed digest is none
  } catch (const EManifestError& error) {
    LastFailure() = error.Message();
    SetManifestIni(nullptr);
    return false;
  }
  SetManifestIni(std::move(ini));
  return true;
}

bool FetchManifest() {
  return FetchManifestFrom(ManifestURL(), BuiltInManifestKey());
}

}  // namespace bailan

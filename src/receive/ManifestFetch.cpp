#include "receive/ManifestFetch.h"

#include "receive/GlobalTexts.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "transport/http/HttpClient.h"

namespace bailan {
namespace {

constexpr int kManifestReadTimeoutMs = 30000;  // a server silent this long fails the fetch

std::unique_ptr<TIniFile>& Loaded() {
  static std::unique_ptr<TIniFile> ini;
  return ini;
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

bool FetchManifestFrom(const std::string& url) {
  const std::string path = ManifestPath();
  THttpClient client;
  client.SetHandleRedirects(true);
  client.SetReadTimeout(kManifestReadTimeoutMs);
  bool received = false;
  {
    TFileStream file(TFile::Create(path, TShareMode::Exclusive));
    try {
      client.GetToStream(url, file);
      received = true;
    } catch (const std::exception&) {
      // Any failure of the transfer is a failed fetch; page 2 reports it.
    }
  }
  if (received) SetManifestIni(std::make_unique<TIniFile>(path));
  return received;
}

bool FetchManifest() {
  return FetchManifestFrom(ManifestURL());
}

}  // namespace bailan

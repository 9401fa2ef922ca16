#include "receive/ManifestFetch.h"

#include "platform/Exception.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Path.h"
#include "receive/GlobalTexts.h"
#include "receive/ManifestJobs.h"
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

// The body's target that refuses to grow past kMaxManifestBytes: the transfer
// ends there with its reason instead of filling the disk.
class TManifestStream : public TStream {
 public:
  // Borrows `file` for its life; the GUI thread alone.
  explicit TManifestStream(TFileStream& file) : file_(file) {}

  void Write(const void* data, std::size_t count) override {
    if (static_cast<std::uint64_t>(file_.Position()) + count >
        static_cast<std::uint64_t>(kMaxManifestBytes)) {
      throw EInOutError(Format("The manifest is longer than %lld bytes, the most it may hold",
                               static_cast<long long>(kMaxManifestBytes)));
    }
    file_.Write(data, count);
  }
  std::int64_t Position() const override { return file_.Position(); }
  void Seek(std::int64_t position) override { file_.Seek(position); }
  std::int64_t Size() const override { return file_.Size(); }
  void SetSize(std::int64_t size) override { file_.SetSize(size); }

 private:
  TFileStream& file_;
};

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

bool FetchManifestFrom(const std::string& url) {
  const std::string path = ManifestPath();
  THttpClient client;
  client.SetHandleRedirects(true);
  client.SetReadTimeout(kManifestReadTimeoutMs);
  LastFailure().clear();
  // The body goes to a private new file beside the copy and takes the copy's
  // name only once it is whole: nothing planted under "update.ini" (a link, a
  // file) is ever written through or read as the manifest.
  TFileStream file(TFile::CreateTemporary(path));
  const std::string temporary = file.File().Path();
  try {
    TManifestStream target(file);
    client.GetToStream(url, target);
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
  return FetchManifestFrom(ManifestURL());
}

}  // namespace bailan

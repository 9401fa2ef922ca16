#include "ManifestCheck.h"

#include <memory>

#include "RedirectHops.h"
#include "SignatureCheck.h"
#include "TemporaryFile.h"
#include "platform/Format.h"
#include "receive/ManifestFetch.h"
#include "receive/ManifestJobs.h"
#include "transport/http/TextUtil.h"

namespace bailan::cli {
namespace {

constexpr const char* kManifestRow = "manifest";
// Rows for sections the installer never reads; a manifest with more gets one
// row that counts the rest, so that a hostile one cannot make the table endless.
constexpr std::size_t kMaxUnreadRows = 20;

bool IsRead(const std::string& section, const std::vector<TManifestEntry>& entries) {
  for (const TManifestEntry& entry : entries) {
    if (SameTextIgnoreCase(entry.Section, section)) return true;
  }
  return false;
}

// Sections that carry a url but give no entry: after the first section
// without one, numbered above 20, or named otherwise.
void CheckUnreadSections(const TIniFile& manifest, const std::vector<TManifestEntry>& entries,
                         TCheckReport& report) {
  std::size_t unread = 0;
  for (const TIniFile::TSectionValue& value : manifest.ValuesOf("url")) {
    if (value.Value.empty() || value.Value == kEndOfManifest || IsRead(value.Section, entries)) continue;
    if (++unread <= kMaxUnreadRows) {
      report.Fail(value.Section, value.Value, "section",
                  "never read: the installer reads \"bailan\", then \"file1\" to \"file20\", up to the first "
                  "section without a url");
    }
  }
  if (unread > kMaxUnreadRows) {
    report.Fail(kManifestRow, "", "section",
                std::to_string(unread - kMaxUnreadRows) + " more sections are never read");
  }
}

std::vector<TCheckEntry> CheckEntries(const TIniFile& manifest, const std::string& url,
                                      TCheckReport& report) {
  std::vector<TManifestEntry> listed;
  try {
    listed = ManifestEntries(manifest);
  } catch (const EManifestError& error) {
    // The installer refuses the whole manifest: no entry of it would install.
    report.Fail(kManifestRow, url, "sha256", FailureText(error));
    return {};
  }
  if (listed.empty()) {
    report.Fail(kManifestRow, url, "entries",
                "no entry: the section \"bailan\" has no url, nothing is installed");
  }
  CheckUnreadSections(manifest, listed, report);
  std::vector<TCheckEntry> entries;
  for (const TManifestEntry& entry : listed) {
    std::optional<TSha256::TDigest> pin;
    TSha256::TDigest digest{};
    if (ParseDigestHex(entry.Sha256, digest)) pin = digest;  // ManifestEntries gives 64 digits or none
    entries.push_back(TCheckEntry{entry.Section, entry.Url, pin});
  }
  return entries;
}

}  // namespace

std::optional<std::vector<TCheckEntry>> CheckManifest(const std::string& url, const TCheckSettings& settings,
                                                      TCheckReport& report) {
  std::unique_ptr<TTemporaryFile> copy;
  TSha256::TDigest digest{};
  THttpClient client;
  client.SetReadTimeout(settings.ReadTimeoutMs);
  TRedirectHops hops(client);
  try {
    copy = std::make_unique<TTemporaryFile>();
    digest = ReceiveManifest(client, url, copy->Stream());
  } catch (const std::exception& error) {
    report.Fail(kManifestRow, url, "fetch", FailureText(error));
    return std::nullopt;
  }
  copy->Close();
  if (!client.Response.HasContentLength()) {
    report.Warn(kManifestRow, url, "Content-Length",
                "the answer gives no Content-Length: the manifest is read until the server closes");
  }
  if (hops.Any()) report.Warn(kManifestRow, url, "redirect", hops.Describe());
  if (settings.PublicKeyPath) CheckSignature(url, digest, *settings.PublicKeyPath, report);
  return CheckEntries(TIniFile(copy->Path()), url, report);
}

}  // namespace bailan::cli

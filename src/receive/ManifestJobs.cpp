#include "receive/ManifestJobs.h"

#include "platform/Cp936.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Path.h"
#include "receive/ReceiveLists.h"

namespace bailan {
namespace {

constexpr int kManifestSections = 21;  // "bailan", then "file1" to "file20"
// The default of a missing "sha256": the reader cuts every value at its first
// NUL, so no value read from the file can equal it.
constexpr std::string_view kNoDigest("\0", 1);

// The digest of `section` as 64 lower-case hex digits, "" when it gives none.
std::string SectionDigest(const TIniFile& manifest, const std::string& section) {
  const std::string value = manifest.ReadString(section, "sha256", kNoDigest);
  if (value == kNoDigest) return "";
  TSha256::TDigest digest{};
  if (!ParseDigestHex(value, digest)) {
    throw EManifestError(
        Format("The manifest's section [%s] gives a sha256 of %d characters, not 64 hex digits", section,
               static_cast<int>(value.size())));
  }
  return DigestToHex(digest);
}

}  // namespace

std::string ProductFolder(const std::string& installPath, const std::string& productName) {
  std::string folder = installPath + PathDelim + productName;
  if (folder.size() >= sizeof(TResourceRec::SavePath)) {
    throw Exception(Cp("安装目录太长，请选择较短的目录"));
  }
  return folder;
}

std::vector<TManifestEntry> ManifestEntries(const TIniFile& manifest) {
  std::vector<TManifestEntry> entries;
  for (int n = 0; n < kManifestSections; ++n) {
    std::string section = n == 0 ? std::string("bailan") : "file" + std::to_string(n);
    std::string url = manifest.ReadString(section, "url", kEndOfManifest);
    if (url == kEndOfManifest) break;
    if (url.empty()) continue;
    std::string digest = SectionDigest(manifest, section);
    entries.push_back({std::move(section), std::move(url), std::move(digest)});
  }
  return entries;
}

std::vector<TResourceRec> ManifestRecords(const TIniFile& manifest, const std::string& installPath,
                                          const std::string& productName) {
  const std::string folder = ProductFolder(installPath, productName);
  std::vector<TResourceRec> records;
  for (const TManifestEntry& entry : ManifestEntries(manifest)) {
    TResourceRec record;
    record.PublishTime = TDateTime::Now();
    record.Name = Cp("柏岚软件");
    record.URL = entry.Url;
    record.Sha256 = entry.Sha256;
    record.SavePath = folder;
    record.SegCount = kManifestSegments;
    record.Category = Cp("资源类型");
    record.Remark = Cp("资源备注");
    record.Flag = 1;
    records.push_back(record);
  }
  return records;
}

void AddToDownLoadList(TReceiveLists& lists, const TIniFile& manifest, const std::string& installPath,
                       const std::string& productName) {
  for (const TResourceRec& record : ManifestRecords(manifest, installPath, productName)) {
    lists.AddPendingJob(record, false);
  }
}

}  // namespace bailan

#include "receive/ManifestJobs.h"

#include "platform/Cp936.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/Path.h"
#include "receive/ReceiveLists.h"

namespace bailan {
namespace {

constexpr int kManifestSections = 21;  // "bailan", then "file1" to "file20"

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
    if (!url.empty()) entries.push_back(TManifestEntry{std::move(section), std::move(url)});
  }
  return entries;
}

std::vector<TResourceRec> ManifestRecords(const TIniFile& manifest, const std::string& installPath,
                                          const std::string& productName) {
  const std::string folder = ProductFolder(installPath, productName);
  std::vector<TResourceRec> records;
  for (const TManifestEntry& entry : ManifestEntries(manifest)) {
    const std::string& url = entry.Url;
    TResourceRec record;
    record.PublishTime = TDateTime::Now();
    record.Name = Cp("柏岚软件");
    record.URL = url;
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

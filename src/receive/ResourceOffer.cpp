#include "receive/ResourceOffer.h"

#include "platform/Cp936.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/FileNames.h"
#include "platform/Path.h"

namespace bailan {
namespace {

constexpr std::string_view kMandatoryType = "0";
// Every resource taken over is received in this many parallel ranges.
constexpr std::int32_t kOfferSegments = 3;

// A category names one folder below the download folder: a text that would
// climb out of it, name another place or a device is refused. An empty one
// leaves the resources in the download folder itself.
void CheckFolderName(const std::string& name) {
  bool valid = name.empty() || (IsCreatableName(name) && Cp936FindFirst(name, '\\') == std::string::npos);
  for (unsigned char c : name) valid = valid && c >= 0x20 && c != 0x7F;
  if (!valid) throw Exception("'" + name + "' is not a valid folder name");
}

}  // namespace

bool IsMandatoryOffer(const std::string& downloadType) {
  return downloadType == kMandatoryType;
}

std::string OfferDownloadFolder(const std::string& programFolder) {
  return IncludeTrailingPathDelimiter(IncludeTrailingPathDelimiter(programFolder) + "Download");
}

TResourceRec RecordFromOffer(const TOfferedResource& offer, const std::string& downloadFolder) {
  TResourceRec record{};
  record.PublishTime = ParseDateTime(offer.PushTime);
  CheckFolderName(offer.Category);
  const std::string folder = IncludeTrailingPathDelimiter(downloadFolder) + offer.Category;
  // A cut path would name another folder than the category's.
  if (folder.size() >= sizeof(TResourceRec::SavePath))
    throw Exception("'" + folder + "' is too long for a folder");
  record.SavePath = folder;
  record.Name = offer.Name;
  record.URL = offer.URL;
  record.SegCount = kOfferSegments;
  record.Category = offer.Category;
  record.Remark = offer.Remark;
  record.Flag = 1;
  return record;
}

}  // namespace bailan

#include "receive/RecordRows.h"

#include "engine/DownloadJob.h"
#include "platform/DateTime.h"
#include "platform/Path.h"

namespace bailan {
namespace {

// The columns the two layouts share, from their common fields.
template <typename Record>
std::vector<std::string> SharedTexts(const Record& record, std::int32_t columns) {
  std::vector<std::string> texts(static_cast<std::size_t>(columns));
  texts[kRecordColumnPublishTime] = FormatDateTime(kDateTimeFormat, record.PublishTime);
  texts[kRecordColumnName] = record.Name.Get();
  texts[kRecordColumnSize] = TDownloadJob::SizeToText(record.FileSize);
  texts[kRecordColumnCategory] = record.Category.Get();
  texts[kRecordColumnRemark] = record.Remark.Get();
  texts[kRecordColumnReceiveTime] = FormatDateTime(kDateTimeFormat, record.ReceiveTime);
  return texts;
}

}  // namespace

std::vector<std::string> RowTexts(const TReceivedRec& record) {
  return SharedTexts(record, kReceivedGridColumns);
}

std::vector<std::string> RowTexts(const TRecycledRec& record) {
  std::vector<std::string> texts = SharedTexts(record, kRecycleGridColumns);
  texts[kRecordColumnDeleteTime] = FormatDateTime(kDateTimeFormat, record.DeleteTime);
  return texts;
}

std::string ReceivedFilePath(const TReceivedRec& record) {
  std::string folder = record.SavePath.Get();
  if (!folder.empty()) folder = IncludeTrailingPathDelimiter(folder);
  return folder + record.FileName.Get();
}

}  // namespace bailan

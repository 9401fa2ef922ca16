#include "support/ReceivedRecords.h"

#include "engine/DownloadJob.h"
#include "platform/Cp936.h"

namespace bailan::test {

void AddReceivedRecords(TReceiveLists& lists, int count, const std::string& url,
                        const std::function<std::string(int index)>& folder) {
  for (int i = 0; i < count; ++i) {
    const std::string name = "r" + std::to_string(i);
    TResourceRec record{};
    record.PublishTime = TDateTime::FromParts(2012, 3, 7, 9, 5, 2);
    record.Name = name;
    record.URL = url;
    record.SavePath = folder(i);
    record.SegCount = 3;
    record.Category = Cp("资源类型");
    record.Remark = Cp("资源备注");
    record.Flag = 1;
    auto job = lists.AddPendingJob(record, false);
    lists.CompleteJob(*job, name + ".zip", 1572864, nullptr);
  }
}

}  // namespace bailan::test

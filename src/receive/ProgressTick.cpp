#include "receive/ProgressTick.h"

#include <mutex>

#include "engine/DownloadJob.h"
#include "platform/Cp936.h"
#include "receive/ListLock.h"
#include "receive/Progress.h"
#include "receive/ReceiveLists.h"

namespace bailan {

TProgressTick TickJobs(TReceiveLists& lists) {
  TProgressTick tick;
  // The job list and the rows stay as they are while the tick reads them.
  std::lock_guard lock(ListLock());
  const auto jobs = lists.JobList();
  for (const auto& job : jobs) {
    tick.Total += job->TotalSize;
    tick.Received += job->ReceivedSize;
    if (job->Running == 1) {
      job->UpdateCells();
      job->UpdateGauge();
    } else {
      for (std::int32_t column : {kColumnSpeed, kColumnRemaining, kColumnElapsed})
        lists.SetCell(job->Row, column, "");
    }
  }
  tick.NoJobLeft = jobs.empty();
  return tick;
}

std::string ProgressCaption(const TProgressTick& tick) {
  return Cp("已完成  ") + std::to_string(CalcPercent(tick.Received, tick.Total)) + "%";
}

}  // namespace bailan

#include "receive/StopWait.h"

#include <algorithm>

#include "engine/DownloadJob.h"
#include "platform/Tick.h"
#include "receive/ReceiveLists.h"

namespace bailan {

TTickSource SystemTicks() {
  return [] { return GetTickCount32(); };
}

void StopWait(const std::function<std::shared_ptr<TDownloadJob>()>& job, const TMessagePump& pump,
              const TTickSource& ticks) {
  const std::uint32_t started = ticks();
  for (auto current = job(); current && current->Running == 1; current = job()) {
    if (TickDiff(ticks(), started) >= kStopWaitMs) return;
    pump();
  }
}

bool AnyJobRunning(const TReceiveLists& lists) {
  const auto jobs = lists.JobList();
  return std::any_of(jobs.begin(), jobs.end(), [](const auto& job) { return job->Running != 0; });
}

void StopRunningJobs(const TReceiveLists& lists, const TMessagePump& pump, const TTickSource& ticks) {
  for (const auto& job : lists.JobList()) {
    if (job->Running != 1) continue;
    job->RequestStop();
    StopWait([job] { return job; }, pump, ticks);
  }
}

void ReleaseJobsAndWait(TReceiveLists& lists) {
  const auto jobs = lists.ReleaseJobs();
  for (const auto& job : jobs) job->RequestStop();
  const std::uint32_t started = GetTickCount32();
  for (const auto& job : jobs) {
    const std::uint32_t spent = TickDiff(GetTickCount32(), started);
    if (spent >= kStopWaitMs) break;
    job->WaitUntilIdle(kStopWaitMs - spent);
  }
}

}  // namespace bailan

#include "receive/JobCommands.h"

#include "engine/DownloadJob.h"
#include "receive/ReceiveLists.h"

namespace bailan {

void StartAllJobs(const TReceiveLists& lists) {
  for (const auto& job : lists.JobList()) job->StartDownload();
}

bool StartJobAtRow(const TReceiveLists& lists, std::int32_t row) {
  const auto job = lists.JobAtRow(row);
  if (!job) return false;
  job->StartDownload();
  return true;
}

void StopAllJobs(const TReceiveLists& lists, const TMessagePump& pump) {
  for (const auto& job : lists.JobList()) {
    job->RequestStop();
    StopWait([job] { return job; }, pump);
  }
}

bool StopJobAtSelectedRow(const TReceiveLists& lists, const std::function<std::int32_t()>& selectedRow,
                          const TMessagePump& pump) {
  const auto job = lists.JobAtRow(selectedRow());
  if (!job) return false;
  job->RequestStop();
  StopWait([&] { return lists.JobAtRow(selectedRow()); }, pump);
  return true;
}

}  // namespace bailan

#pragma once

#include <cstdint>
#include <string>

namespace bailan {

class TReceiveLists;

// What one tick of the progress timer found: the sums of the listed jobs'
// sizes and received bytes (a job whose size is not known yet adds 0), and
// whether the job list was empty, which completes the installation.
struct TProgressTick {
  std::int64_t Total = 0;
  std::int64_t Received = 0;
  bool NoJobLeft = false;
};

// One tick over the job list, under the list lock: sums every job's figures in
// list order; a running job refreshes its row's cells and its gauge, an idle
// one has its speed, time-remaining and time-used cells emptied. GUI thread.
TProgressTick TickJobs(TReceiveLists& lists);

// The percentage label's text for a tick: "已完成  " (two spaces), the whole
// percentage, "%"; CP936.
std::string ProgressCaption(const TProgressTick& tick);

}  // namespace bailan

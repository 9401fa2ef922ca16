#pragma once

#include <cstdint>
#include <functional>

#include "receive/StopWait.h"

namespace bailan {

class TReceiveLists;

// The receiving page's commands on the job list, as both faces issue them
// from the toolbar, the menu and a double click. GUI thread; the face repaints
// its grid afterwards.

// Every listed job's StartDownload, in list order (a running one goes on).
void StartAllJobs(const TReceiveLists& lists);
// The job of grid row `row` starts; false when the row has no job.
bool StartJobAtRow(const TReceiveLists& lists, std::int32_t row);
// Every listed job, running or not, is asked to stop, each followed by its
// stop wait.
void StopAllJobs(const TReceiveLists& lists, const TMessagePump& pump);
// The job of the selected row is asked to stop; the wait then looks, each time,
// at the job of the row selected at that moment (a row without a job ends it).
// False when the selected row had no job to begin with.
bool StopJobAtSelectedRow(const TReceiveLists& lists, const std::function<std::int32_t()>& selectedRow,
                          const TMessagePump& pump);

}  // namespace bailan

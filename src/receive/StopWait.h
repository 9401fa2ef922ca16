#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace bailan {

class TDownloadJob;
class TReceiveLists;

// A stop wait gives up on a job after this long; the job may still be running.
inline constexpr std::uint32_t kStopWaitMs = 10000;

// Processes the window's pending messages while the caller waits: each face
// passes its own (a nested event loop slice, a PeekMessage loop).
using TMessagePump = std::function<void()>;
// The millisecond tick count (32 bits, differences modulo 2^32); tests pass
// their own clock.
using TTickSource = std::function<std::uint32_t()>;
TTickSource SystemTicks();

// Pumps messages while `job()` is a job whose Running is 1, for at most
// kStopWaitMs. `job` is asked again before every look (the selected row's job
// may change meanwhile); a null job ends the wait. GUI thread.
void StopWait(const std::function<std::shared_ptr<TDownloadJob>()>& job, const TMessagePump& pump,
              const TTickSource& ticks = SystemTicks());

// True when a listed job's Running is anything but 0: closing must be asked.
bool AnyJobRunning(const TReceiveLists& lists);

// The confirmed close: every listed job whose Running is 1 is asked to stop and
// waited for, one after the other (at most kStopWaitMs each).
void StopRunningJobs(const TReceiveLists& lists, const TMessagePump& pump,
                     const TTickSource& ticks = SystemTicks());

// The window closes: every job leaves the job list and is asked to stop; their
// runs get kStopWaitMs in all to end. A run still going afterwards keeps its job
// alive by itself and no longer reaches the window.
void ReleaseJobsAndWait(TReceiveLists& lists);

}  // namespace bailan

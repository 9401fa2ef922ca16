#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace bailan {

class TDownloadJob;

// What a download job needs of the window that owns it: the job list and the
// receiving grid's row table, and the completion move between the resource
// lists. The receive window's list model implements it; tests may too. Every
// method is safe to call from any thread.
class TJobHost {
 public:
  virtual ~TJobHost() = default;

  // Appends `job` to the job list, sets its Row (its index in the list + 1) and
  // the grid's row count (the number of jobs + 1), all under the list lock, so
  // that a completion removing a row meanwhile renumbers the new job too.
  virtual void AddJob(std::shared_ptr<TDownloadJob> job) = 0;

  // Writes one cell of `job`'s row of the receiving grid's row table, finding
  // the row under the list lock; nothing for a job no longer listed.
  virtual void SetJobCell(const TDownloadJob& job, std::int32_t column, const std::string& text) = 0;

  // The completion move of a finished job, under the list lock: the first pending
  // record whose URL equals the job's becomes a received record (file name
  // `fileName`, size `fileSize`, received now) and leaves the pending list, the
  // job leaves the job list and the row table, and `whileLocked` runs before the
  // lock is released. With no matching record nothing is moved, but the job's row
  // is still removed. Returns whether a record was moved.
  virtual bool CompleteJob(TDownloadJob& job, const std::string& fileName, std::int32_t fileSize,
                           const std::function<void()>& whileLocked) = 0;
};

}  // namespace bailan

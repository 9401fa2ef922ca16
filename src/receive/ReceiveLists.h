#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/JobHost.h"
#include "receive/ResourceRecords.h"
#include "receive/RowTable.h"

namespace bailan {

// The receive window's state without the window: every resource it knows of in
// exactly one of the pending, received and recycle lists, the live jobs in the
// job list, and the receiving grid's row table. Every operation takes ListLock(),
// so the completion move on a transfer thread and the window's reads and moves
// on the GUI thread never see each other half-done. Pending record i belongs to
// the job with the same URL, not necessarily to job i.
class TReceiveLists : public TJobHost, public std::enable_shared_from_this<TReceiveLists> {
 public:
  // Empty lists, a row table of two rows. Shared: jobs keep a weak reference to
  // it for their completion move.
  static std::shared_ptr<TReceiveLists> Create();
  ~TReceiveLists() override;
  TReceiveLists(const TReceiveLists&) = delete;
  TReceiveLists& operator=(const TReceiveLists&) = delete;

  // Copies for readers (the window, tests); counters equal the lists' lengths.
  std::vector<TResourceRec> PendingList() const;
  std::vector<TReceivedRec> ReceivedList() const;
  std::vector<TRecycledRec> RecycleList() const;
  std::vector<std::shared_ptr<TDownloadJob>> JobList() const;
  std::int32_t PendingCount() const;
  std::int32_t ReceivedCount() const;
  std::int32_t RecycleCount() const;
  std::int32_t JobCount() const;

  // The row table: texts of a cell, the row count, headers.
  std::string Cell(std::int32_t row, std::int32_t column) const;
  std::int32_t RowCount() const;
  void SetCell(std::int32_t row, std::int32_t column, const std::string& text);

  // Appends `record` to the pending list and creates its job (started at once
  // when `start` is set): the manifest entry and the resource dialog.
  std::shared_ptr<TDownloadJob> AddPendingJob(const TResourceRec& record, bool start);

  // Receive again: takes received record `index` out, appends a pending record of
  // one segment for it and starts its job. Null for an index out of range.
  std::shared_ptr<TDownloadJob> ReceiveAgain(std::int32_t index);
  // Delete: received record `index` moves to the recycle list, deleted now.
  bool DeleteReceived(std::int32_t index);
  // Restore: recycled record `index` moves back to the received list.
  bool RestoreRecycled(std::int32_t index);

  // Takes every job out of the job list (the window closing); returns them so
  // the caller can wait for their runs.
  std::vector<std::shared_ptr<TDownloadJob>> ReleaseJobs();

  // TJobHost
  void AddJob(std::shared_ptr<TDownloadJob> job) override;
  void SetJobCell(const TDownloadJob& job, std::int32_t column, const std::string& text) override;
  bool CompleteJob(TDownloadJob& job, const std::string& fileName, std::int32_t fileSize,
                   const std::function<void()>& whileLocked) override;

  // Takes job row `row` out of the job list and the row table; the jobs after it
  // move up a row. Called by the completion move with the lock held.
  void RemoveJobRow(std::int32_t row);

 private:
  TReceiveLists() = default;

  std::vector<TResourceRec> pending_;
  std::vector<TReceivedRec> received_;
  std::vector<TRecycledRec> recycled_;
  std::vector<std::shared_ptr<TDownloadJob>> jobs_;
  TRowTable rows_;
};

}  // namespace bailan

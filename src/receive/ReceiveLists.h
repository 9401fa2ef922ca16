#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/JobHost.h"
#include "receive/ResourceRecords.h"
#include "receive/RowTable.h"

namespace bailan {

// The two pages that list records: "已接收" (the received list) and "回收站" (the
// recycle list).
enum class TRecordPage { Received, Recycled };

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
  // The job that grid row `row` shows (row 1 is job 0), null when the row has none.
  std::shared_ptr<TDownloadJob> JobAtRow(std::int32_t row) const;

  // The row table: texts of a cell, the row count, headers.
  std::string Cell(std::int32_t row, std::int32_t column) const;
  std::int32_t RowCount() const;
  void SetCell(std::int32_t row, std::int32_t column, const std::string& text);

  // Appends `record` to the pending list and creates its job (started at once
  // when `start` is set): the manifest entry and the resource dialog.
  std::shared_ptr<TDownloadJob> AddPendingJob(const TResourceRec& record, bool start);

  // Receive again: appends a pending record of one segment for received record
  // `index`, starts its job and takes the record and its grid row out. Null for an
  // index out of range.
  std::shared_ptr<TDownloadJob> ReceiveAgain(std::int32_t index);
  // Delete: received record `index` moves to the end of the recycle list, deleted
  // now; its grid row goes with it.
  bool DeleteReceived(std::int32_t index);
  // Restore: recycled record `index` moves back to the end of the received list
  // with its former receive time; its grid row goes with it.
  bool RestoreRecycled(std::int32_t index);

  // The grid tables of the two record pages (7 columns for the received page, 8
  // for the recycle page). Row r shows record r - 1 as of the page's last filling;
  // every removal takes the record and its row out together.
  std::string PageCell(TRecordPage page, std::int32_t row, std::int32_t column) const;
  std::int32_t PageRowCount(TRecordPage page) const;
  std::int32_t PageRecordCount(TRecordPage page) const;
  // The page became active: record i's texts go to row i + 1 from column 1 on,
  // rows are added as needed, and nothing is emptied first.
  void FillPage(TRecordPage page);
  // Take record row - 1 out of the received (recycle) list together with grid row
  // `row`; the later records and rows move up one. False for a row outside the list.
  bool RemoveReceivedRow(std::int32_t row);
  bool RemoveRecycledRow(std::int32_t row);

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
  TReceiveLists();
  const TRowTable& PageRows(TRecordPage page) const;

  std::vector<TResourceRec> pending_;
  std::vector<TReceivedRec> received_;
  std::vector<TRecycledRec> recycled_;
  std::vector<std::shared_ptr<TDownloadJob>> jobs_;
  TRowTable rows_;
  TRowTable receivedRows_;
  TRowTable recycledRows_;
};

}  // namespace bailan

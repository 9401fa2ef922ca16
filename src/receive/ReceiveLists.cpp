#include "receive/ReceiveLists.h"

#include <utility>

#include "engine/DownloadJob.h"
#include "receive/ListLock.h"
#include "receive/RecordRows.h"

namespace bailan {
namespace {

using TLock = std::lock_guard<std::recursive_mutex>;

template <typename T>
bool ValidIndex(const std::vector<T>& list, std::int32_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

template <typename T>
std::int32_t CountOf(const std::vector<T>& list) {
  TLock lock(ListLock());
  return static_cast<std::int32_t>(list.size());
}

// Writes record i's texts into row i + 1 from column 1 on, adding rows as needed.
template <typename Record>
void FillRows(const std::vector<Record>& list, TRowTable& table) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto row = static_cast<std::int32_t>(i + 1);
    if (row >= table.RowCount()) table.SetRowCount(row + 1);
    const std::vector<std::string> texts = RowTexts(list[i]);
    for (std::int32_t column = 1; column < table.ColumnCount(); ++column)
      table.SetCell(row, column, texts[column]);
  }
}

// Takes record row - 1 and grid row `row` out together.
template <typename Record>
bool RemoveRecordRow(std::vector<Record>& list, TRowTable& table, std::int32_t row) {
  if (!ValidIndex(list, row - 1)) return false;
  list.erase(list.begin() + (row - 1));
  table.RemoveRow(row);
  return true;
}

}  // namespace

TReceiveLists::TReceiveLists() : receivedRows_(kReceivedGridColumns), recycledRows_(kRecycleGridColumns) {}

std::shared_ptr<TReceiveLists> TReceiveLists::Create() {
  return std::shared_ptr<TReceiveLists>(new TReceiveLists);
}

TReceiveLists::~TReceiveLists() = default;

std::vector<TResourceRec> TReceiveLists::PendingList() const {
  TLock lock(ListLock());
  return pending_;
}

std::vector<TReceivedRec> TReceiveLists::ReceivedList() const {
  TLock lock(ListLock());
  return received_;
}

std::vector<TRecycledRec> TReceiveLists::RecycleList() const {
  TLock lock(ListLock());
  return recycled_;
}

std::vector<std::shared_ptr<TDownloadJob>> TReceiveLists::JobList() const {
  TLock lock(ListLock());
  return jobs_;
}

std::int32_t TReceiveLists::PendingCount() const {
  return CountOf(pending_);
}
std::int32_t TReceiveLists::ReceivedCount() const {
  return CountOf(received_);
}
std::int32_t TReceiveLists::RecycleCount() const {
  return CountOf(recycled_);
}
std::int32_t TReceiveLists::JobCount() const {
  return CountOf(jobs_);
}

std::shared_ptr<TDownloadJob> TReceiveLists::JobAtRow(std::int32_t row) const {
  TLock lock(ListLock());
  if (row < 1 || static_cast<std::size_t>(row) > jobs_.size()) return nullptr;
  return jobs_[static_cast<std::size_t>(row - 1)];
}

std::string TReceiveLists::Cell(std::int32_t row, std::int32_t column) const {
  TLock lock(ListLock());
  return rows_.Cell(row, column);
}

std::int32_t TReceiveLists::RowCount() const {
  TLock lock(ListLock());
  return rows_.RowCount();
}

std::shared_ptr<TDownloadJob> TReceiveLists::AddPendingJob(const TResourceRec& record, bool start) {
  const std::optional<TSha256::TDigest> digest = RecordDigest(record.Sha256);
  {
    TLock lock(ListLock());
    pending_.push_back(record);
  }
  // Outside the lock: a started run may complete on its own thread at once.
  return TDownloadJob::Create(shared_from_this(), record.Name.Get(), record.PublishTime, record.URL.Get(),
                              record.SavePath.Get(), record.SegCount, start, digest);
}

std::shared_ptr<TDownloadJob> TReceiveLists::ReceiveAgain(std::int32_t index) {
  // One step for readers: the resource is never in neither list nor in both. A
  // run that completes at once waits for the lock on its own thread.
  TLock lock(ListLock());
  if (!ValidIndex(received_, index)) return nullptr;
  std::shared_ptr<TDownloadJob> job = AddPendingJob(PendingFromReceived(received_[index]), true);
  RemoveReceivedRow(index + 1);
  return job;
}

bool TReceiveLists::DeleteReceived(std::int32_t index) {
  TLock lock(ListLock());
  if (!ValidIndex(received_, index)) return false;
  recycled_.push_back(RecycledFromReceived(received_[index], TDateTime::Now()));
  return RemoveReceivedRow(index + 1);
}

bool TReceiveLists::RestoreRecycled(std::int32_t index) {
  TLock lock(ListLock());
  if (!ValidIndex(recycled_, index)) return false;
  received_.push_back(ReceivedFromRecycled(recycled_[index]));
  return RemoveRecycledRow(index + 1);
}

const TRowTable& TReceiveLists::PageRows(TRecordPage page) const {
  return page == TRecordPage::Received ? receivedRows_ : recycledRows_;
}

std::string TReceiveLists::PageCell(TRecordPage page, std::int32_t row, std::int32_t column) const {
  TLock lock(ListLock());
  return PageRows(page).Cell(row, column);
}

std::int32_t TReceiveLists::PageRowCount(TRecordPage page) const {
  TLock lock(ListLock());
  return PageRows(page).RowCount();
}

std::int32_t TReceiveLists::PageRecordCount(TRecordPage page) const {
  return page == TRecordPage::Received ? ReceivedCount() : RecycleCount();
}

void TReceiveLists::FillPage(TRecordPage page) {
  TLock lock(ListLock());
  if (page == TRecordPage::Received) {
    FillRows(received_, receivedRows_);
  } else {
    FillRows(recycled_, recycledRows_);
  }
}

bool TReceiveLists::RemoveReceivedRow(std::int32_t row) {
  TLock lock(ListLock());
  return RemoveRecordRow(received_, receivedRows_, row);
}

bool TReceiveLists::RemoveRecycledRow(std::int32_t row) {
  TLock lock(ListLock());
  return RemoveRecordRow(recycled_, recycledRows_, row);
}

std::vector<std::shared_ptr<TDownloadJob>> TReceiveLists::ReleaseJobs() {
  TLock lock(ListLock());
  return std::exchange(jobs_, {});
}

void TReceiveLists::AddJob(std::shared_ptr<TDownloadJob> job) {
  TLock lock(ListLock());
  jobs_.push_back(std::move(job));
  const auto count = static_cast<std::int32_t>(jobs_.size());
  jobs_.back()->Row = count;
  rows_.SetRowCount(count + 1);
}

void TReceiveLists::SetJobCell(const TDownloadJob& job, std::int32_t column, const std::string& text) {
  TLock lock(ListLock());
  const std::int32_t row = job.Row;
  if (row < 1 || static_cast<std::size_t>(row) > jobs_.size() || jobs_[row - 1].get() != &job) return;
  rows_.SetCell(row, column, text);
}

void TReceiveLists::SetCell(std::int32_t row, std::int32_t column, const std::string& text) {
  TLock lock(ListLock());
  rows_.SetCell(row, column, text);
}

bool TReceiveLists::CompleteJob(TDownloadJob& job, const std::string& fileName, std::int32_t fileSize,
                                const std::function<void()>& whileLocked) {
  TLock lock(ListLock());
  bool moved = false;
  for (std::size_t i = 0; i < pending_.size(); ++i) {
    if (pending_[i].URL.Get() == job.URL) {
      received_.push_back(ReceivedFromPending(pending_[i], fileName, fileSize, TDateTime::Now()));
      pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
      moved = true;
      break;
    }
  }
  RemoveJobRow(job.Row);
  if (whileLocked) whileLocked();
  return moved;
}

void TReceiveLists::RemoveJobRow(std::int32_t row) {
  TLock lock(ListLock());
  if (row < 1 || static_cast<std::size_t>(row) > jobs_.size()) return;
  jobs_.erase(jobs_.begin() + (row - 1));
  for (std::size_t i = static_cast<std::size_t>(row - 1); i < jobs_.size(); ++i) {
    jobs_[i]->Row = static_cast<std::int32_t>(i + 1);
  }
  rows_.RemoveRow(row);
}

}  // namespace bailan

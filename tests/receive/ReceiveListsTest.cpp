#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "engine/DownloadJob.h"
#include "platform/Cp936.h"
#include "receive/ListLock.h"
#include "receive/ReceiveLists.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

TResourceRec Record(const std::string& url, const std::string& name = "res") {
  TResourceRec rec{};
  rec.PublishTime = TDateTime::FromParts(2026, 1, 2, 3, 4, 5);
  rec.Name = name;
  rec.URL = url;
  rec.SavePath = "/tmp/never-used";
  rec.SegCount = 3;
  rec.Category = Cp("资源类型");
  rec.Remark = Cp("资源备注");
  rec.Flag = 1;
  return rec;
}

TEST(ReceiveLists, StartEmptyWithOneEmptyDataRow) {
  auto lists = TReceiveLists::Create();
  EXPECT_EQ(lists->PendingCount(), 0);
  EXPECT_EQ(lists->ReceivedCount(), 0);
  EXPECT_EQ(lists->RecycleCount(), 0);
  EXPECT_EQ(lists->JobCount(), 0);
  EXPECT_EQ(lists->RowCount(), 2);
  EXPECT_EQ(TReceiveLists::Create()->PendingCount(), 0);  // nothing carries over
}

TEST(ReceiveLists, JobsGetRowsAndWriteTheirCells) {
  auto lists = TReceiveLists::Create();
  auto first = lists->AddPendingJob(Record("http://h/1.zip", "one"), false);
  EXPECT_EQ(first->Row, 1);
  EXPECT_EQ(lists->RowCount(), 2);
  lists->AddPendingJob(Record("http://h/2.zip"), false);
  auto third = lists->AddPendingJob(Record("http://h/3.zip"), false);
  EXPECT_EQ(third->Row, 3);
  EXPECT_EQ(lists->RowCount(), 4);
  EXPECT_EQ(lists->Cell(1, kColumnPublishTime), "2026-01-02 03:04:05");
  EXPECT_EQ(lists->Cell(1, kColumnName), "one");
  EXPECT_EQ(lists->Cell(1, kColumnStatus), "");
  EXPECT_EQ(lists->PendingCount(), 3);
  EXPECT_EQ(third->SegCount, 3);
  EXPECT_EQ(third->Gauge.ForeColor, 13987603u);
  EXPECT_EQ(third->Gauge.MaxValue, 100);
}

TEST(ReceiveLists, CompletingRowTwoOfThreeMovesRowThreeUp) {
  auto lists = TReceiveLists::Create();
  auto a = lists->AddPendingJob(Record("http://h/a.zip", "a"), false);
  auto b = lists->AddPendingJob(Record("http://h/b.zip", "b"), false);
  auto c = lists->AddPendingJob(Record("http://h/c.zip", "c"), false);
  lists->SetCell(3, kColumnSize, "1.00 MB");
  bool ranLocked = false;
  EXPECT_TRUE(lists->CompleteJob(*b, "b(1).zip", 1234, [&] {
    // The log line goes in while the lock is still held.
    ranLocked = ListLock().try_lock();
    if (ranLocked) ListLock().unlock();  // recursive: this thread may take it again
  }));
  EXPECT_TRUE(ranLocked);
  EXPECT_EQ(lists->JobCount(), 2);
  EXPECT_EQ(c->Row, 2);
  EXPECT_EQ(a->Row, 1);
  EXPECT_EQ(lists->RowCount(), 3);
  EXPECT_EQ(lists->Cell(2, kColumnName), "c");
  EXPECT_EQ(lists->Cell(2, kColumnSize), "1.00 MB");
  const auto received = lists->ReceivedList();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].FileName.Get(), "b(1).zip");
  EXPECT_EQ(received[0].FileSize, 1234);
  EXPECT_EQ(received[0].URL.Get(), "http://h/b.zip");
  EXPECT_EQ(received[0].Remark.Get(), Cp("资源备注"));
  EXPECT_EQ(received[0].Flag, 1);
  EXPECT_GT(received[0].ReceiveTime.Value, TDateTime::FromParts(2026, 1, 1).Value);
  const auto pending = lists->PendingList();
  ASSERT_EQ(pending.size(), 2u);
  EXPECT_EQ(pending[0].URL.Get(), "http://h/a.zip");
  EXPECT_EQ(pending[1].URL.Get(), "http://h/c.zip");
  EXPECT_EQ(lists->Cell(1, kColumnName), "a");

  // The last jobs go: the table keeps its header and one cleared data row.
  lists->CompleteJob(*a, "a.zip", 1, nullptr);
  lists->CompleteJob(*c, "c.zip", 1, nullptr);
  EXPECT_EQ(lists->RowCount(), 2);
  EXPECT_EQ(lists->Cell(1, kColumnName), "");
  EXPECT_EQ(lists->PendingCount(), 0);
  EXPECT_EQ(lists->ReceivedCount(), 3);
}

// A, B, A: completing the second A moves the first A record, and only it.
TEST(ReceiveLists, SameUrlTwiceMovesTheFirstRecord) {
  auto lists = TReceiveLists::Create();
  lists->AddPendingJob(Record("http://h/x.zip", "first"), false);
  lists->AddPendingJob(Record("http://h/y.zip", "between"), false);
  auto second = lists->AddPendingJob(Record("http://h/x.zip", "second"), false);
  lists->CompleteJob(*second, "x.zip", 5, nullptr);
  const auto received = lists->ReceivedList();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].Name.Get(), "first");
  const auto pending = lists->PendingList();
  ASSERT_EQ(pending.size(), 2u);
  EXPECT_EQ(pending[0].Name.Get(), "between");
  EXPECT_EQ(pending[1].Name.Get(), "second");
  EXPECT_EQ(lists->JobCount(), 2);
  EXPECT_EQ(lists->RowCount(), 3);
}

TEST(ReceiveLists, NoMatchingRecordStillRemovesTheRow) {
  auto lists = TReceiveLists::Create();
  // A job created without its pending record: its completion finds none.
  auto orphan = TDownloadJob::Create(lists, "o", TDateTime{}, "http://h/o.zip", "/tmp", 3, false);
  EXPECT_EQ(lists->JobCount(), 1);
  EXPECT_FALSE(lists->CompleteJob(*orphan, "o.zip", 1, nullptr));
  EXPECT_EQ(lists->JobCount(), 0);
  EXPECT_EQ(lists->ReceivedCount(), 0);
  EXPECT_EQ(lists->RowCount(), 2);
}

std::vector<std::string> Names(const std::vector<TReceivedRec>& list) {
  std::vector<std::string> names;
  for (const TReceivedRec& rec : list) names.push_back(rec.Name.Get());
  return names;
}

std::vector<std::string> Names(const std::vector<TRecycledRec>& list) {
  std::vector<std::string> names;
  for (const TRecycledRec& rec : list) names.push_back(rec.Name.Get());
  return names;
}

// Three received records: the middle one is deleted first, the middle one of
// three recycled is restored, and every other record stays where it was.
TEST(ReceiveLists, ReceiveAgainDeleteAndRestore) {
  using TNames = std::vector<std::string>;
  auto lists = TReceiveLists::Create();
  for (const char* name : {"a", "b", "c"}) {
    auto job = lists->AddPendingJob(Record("http://127.0.0.1:1/" + std::string(name) + ".zip", name), false);
    lists->CompleteJob(*job, std::string(name) + ".zip", 10, nullptr);
  }
  const TReceivedRec originalA = lists->ReceivedList()[0];

  ASSERT_TRUE(lists->DeleteReceived(1));
  EXPECT_EQ(Names(lists->ReceivedList()), (TNames{"a", "c"}));
  EXPECT_GE(lists->RecycleList()[0].DeleteTime.Value, originalA.ReceiveTime.Value);
  ASSERT_TRUE(lists->DeleteReceived(0));
  ASSERT_TRUE(lists->DeleteReceived(0));
  EXPECT_EQ(lists->ReceivedCount(), 0);
  EXPECT_EQ(Names(lists->RecycleList()), (TNames{"b", "a", "c"}));

  ASSERT_TRUE(lists->RestoreRecycled(1));
  EXPECT_EQ(Names(lists->RecycleList()), (TNames{"b", "c"}));
  const TReceivedRec restored = lists->ReceivedList()[0];
  EXPECT_EQ(std::memcmp(&restored, &originalA, sizeof restored), 0);  // every field, same receive time
  ASSERT_TRUE(lists->RestoreRecycled(0));
  EXPECT_EQ(Names(lists->ReceivedList()), (TNames{"a", "b"}));
  EXPECT_EQ(Names(lists->RecycleList()), (TNames{"c"}));
  EXPECT_FALSE(lists->RestoreRecycled(1));
  EXPECT_FALSE(lists->DeleteReceived(5));
  EXPECT_EQ(lists->ReceiveAgain(-1), nullptr);
}

TEST(ReceiveLists, OverlongTextsAreCutToTheirFields) {
  TResourceRec rec = Record(std::string(3000, 'u'), std::string(255, 'n'));
  EXPECT_EQ(rec.URL.Get().size(), 1023u);
  EXPECT_EQ(rec.Name.Get().size(), 255u);
}

// Both moves between the pending and the received list, each 200 times on its
// own thread, while this one reads the lists under the lock: a resource is
// always in exactly one of them, and the job list and rows go with it.
TEST(ReceiveLists, ReadersNeverSeeAHalfDoneMove) {
  constexpr int kRecords = 200;
  test::TTempDir folder;
  // Jobs that are started end at once: their address names no file.
  TResourceRec record = Record("http://127.0.0.1:1/");
  record.SavePath = folder.Path();
  for (const bool again : {false, true}) {
    SCOPED_TRACE(again ? "receive again" : "completion move");
    auto lists = TReceiveLists::Create();
    std::vector<std::shared_ptr<TDownloadJob>> jobs;
    for (int i = 0; i < kRecords; ++i) jobs.push_back(lists->AddPendingJob(record, false));
    if (again) {
      for (auto& job : jobs) lists->CompleteJob(*job, "f", 1, nullptr);
      jobs.clear();
    }
    std::atomic<bool> reading{false}, done{false};
    std::thread mover([&] {
      while (!reading) std::this_thread::yield();
      for (int i = 0; i < kRecords; ++i) {
        if (again) {
          jobs.push_back(lists->ReceiveAgain(0));
        } else {
          lists->CompleteJob(*jobs[static_cast<std::size_t>(i)], "f", 1, nullptr);
        }
      }
      done = true;
    });
    int looks = 0, halfDone = 0;
    while (!done) {
      std::lock_guard lock(ListLock());
      reading = true;
      ++looks;
      if (lists->PendingCount() + lists->ReceivedCount() != kRecords ||
          lists->JobCount() != lists->PendingCount() ||
          lists->RowCount() != std::max(2, lists->JobCount() + 1))
        ++halfDone;
    }
    mover.join();
    EXPECT_EQ(halfDone, 0) << "of " << looks << " looks";
    EXPECT_EQ(again ? lists->PendingCount() : lists->ReceivedCount(), kRecords);
    for (auto& job : jobs) EXPECT_TRUE(job->WaitUntilIdle(10000));
  }
}

TEST(ReceiveLists, RowsStayRightWhileCompletionsRemoveRowsDuringCreation) {
  // Jobs are created on one thread while another removes the first row, as
  // completions do: every job must end up on the row of its place in the list,
  // with its own name in that row.
  constexpr int kJobs = 3000;
  auto lists = TReceiveLists::Create();
  std::atomic<bool> creating{true};
  std::thread remover([&] {
    while (creating) {
      std::lock_guard lock(ListLock());
      if (lists->JobCount() > 1) lists->RemoveJobRow(1);
    }
  });
  int stale = 0;
  for (int i = 0; i < kJobs; ++i) {
    auto job = lists->AddPendingJob(Record("http://h/" + std::to_string(i), std::to_string(i)), false);
    std::lock_guard lock(ListLock());
    const auto jobs = lists->JobList();
    const auto at = std::find(jobs.begin(), jobs.end(), job);
    if (at != jobs.end() && job->Row != static_cast<std::int32_t>(at - jobs.begin() + 1)) ++stale;
  }
  creating = false;
  EXPECT_EQ(stale, 0);
  remover.join();
  const auto jobs = lists->JobList();
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    EXPECT_EQ(jobs[i]->Row, static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(lists->Cell(static_cast<std::int32_t>(i + 1), kColumnName), jobs[i]->Name);
  }
  EXPECT_EQ(lists->RowCount(), static_cast<std::int32_t>(jobs.size()) + 1);
}

}  // namespace
}  // namespace bailan

#include <gtest/gtest.h>

#include "engine/DownloadJob.h"
#include "platform/Tick.h"
#include "receive/ReceiveLists.h"

namespace bailan {
namespace {

class JobCells : public ::testing::Test {
 protected:
  std::shared_ptr<TReceiveLists> lists = TReceiveLists::Create();
  std::shared_ptr<TDownloadJob> job =
      TDownloadJob::Create(lists, "n", TDateTime{}, "http://127.0.0.1:1/x.zip", "/tmp", 3, false);

  void Publish(std::int32_t total, std::int32_t received, std::int32_t runBytes, std::uint32_t msAgo) {
    job->TotalSize = total;
    job->StartTick = GetTickCount32() - msAgo;
    job->PublishSums(received, runBytes);
  }
  std::string Cell(std::int32_t column) { return lists->Cell(job->Row, column); }
};

TEST(SecondsToText, HoursAreNotReduced) {
  EXPECT_EQ(TDownloadJob::SecondsToText(0), "00:00:00");
  EXPECT_EQ(TDownloadJob::SecondsToText(59), "00:00:59");
  EXPECT_EQ(TDownloadJob::SecondsToText(3661), "01:01:01");
  EXPECT_EQ(TDownloadJob::SecondsToText(360000), "100:00:00");
}

TEST_F(JobCells, NothingBeforeTheFirstSums) {
  job->TotalSize = 5;
  job->UpdateCells();
  job->UpdateGauge();
  EXPECT_EQ(Cell(kColumnSize), "");
  EXPECT_EQ(job->Gauge.Progress, 0);
}

TEST_F(JobCells, AverageSpeedAndRemainingTime) {
  Publish(10 * 1048576, 1048576, 1048576, 4500);
  job->UpdateCells();
  EXPECT_EQ(Cell(kColumnSpeed), "256.00 KB/S");
  EXPECT_EQ(Cell(kColumnSize), "10.00 MB");
  EXPECT_EQ(Cell(kColumnRemaining), "00:00:36");
  EXPECT_EQ(Cell(kColumnElapsed), "00:00:04");
}

TEST_F(JobCells, UnderOneSecondOnlyTheElapsedTime) {
  lists->SetCell(job->Row, kColumnSpeed, "old");
  lists->SetCell(job->Row, kColumnRemaining, "old");
  Publish(1572864, 0, 100, 200);
  job->UpdateCells();
  EXPECT_EQ(Cell(kColumnSpeed), "old");
  EXPECT_EQ(Cell(kColumnRemaining), "old");
  EXPECT_EQ(Cell(kColumnElapsed), "00:00:00");
  EXPECT_EQ(Cell(kColumnSize), "1.50 MB");
}

TEST_F(JobCells, NoBytesThisRunKeepsTheLastRemainingTime) {
  lists->SetCell(job->Row, kColumnRemaining, "00:09:00");
  Publish(1000, 10, 0, 3000);
  job->UpdateCells();
  EXPECT_EQ(Cell(kColumnSpeed), "0.00 KB/S");
  EXPECT_EQ(Cell(kColumnRemaining), "00:09:00");
}

TEST_F(JobCells, GaugeRoundsDown) {
  Publish(1000, 999, 0, 0);
  job->UpdateGauge();
  EXPECT_EQ(job->Gauge.Progress, 99);
  Publish(2147483647, 2147483647, 0, 0);  // no overflow at the largest size
  job->UpdateGauge();
  EXPECT_EQ(job->Gauge.Progress, 100);
  Publish(0, 0, 0, 0);
  job->UpdateGauge();
  EXPECT_EQ(job->Gauge.Progress, 0);
}

TEST_F(JobCells, SpeedKeepsFourDecimalsBeforeShowingTwo) {
  // 1 byte in 1 s is 0.0009765625 KB/s: held as 0.0010, shown as 0.00.
  Publish(100, 1, 1, 1000);
  job->UpdateCells();
  EXPECT_EQ(Cell(kColumnSpeed), "0.00 KB/S");
  // 0.125 KB/s (128 bytes in 1 s) is held exactly and shown rounded up.
  Publish(100000, 128, 128, 1000);
  job->UpdateCells();
  EXPECT_EQ(Cell(kColumnSpeed), "0.13 KB/S");
}

}  // namespace
}  // namespace bailan

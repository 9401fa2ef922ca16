#include <gtest/gtest.h>

#include <cstring>

#include "engine/DownloadJob.h"
#include "platform/Cp936.h"
#include "receive/ReceiveLists.h"
#include "receive/RecordRows.h"
#include "support/ReceivedRecords.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

constexpr auto kReceived = TRecordPage::Received;
constexpr auto kRecycled = TRecordPage::Recycled;

class RecordPages : public ::testing::Test {
 protected:
  void Receive(int count, const std::string& url = "http://127.0.0.1:1/r.zip") {
    test::AddReceivedRecords(*lists, count, url, [this](int) { return folder.Path(); });
  }
  std::string Cell(TRecordPage page, int row, int column) { return lists->PageCell(page, row, column); }

  test::TTempDir folder;
  std::shared_ptr<TReceiveLists> lists = TReceiveLists::Create();
};

TEST_F(RecordPages, FillingWritesEveryRecordAndComingBackAddsNoRow) {
  EXPECT_EQ(lists->PageRowCount(kReceived), 2);
  Receive(3);
  EXPECT_EQ(lists->PageRowCount(kReceived), 2);  // shown only once the page is filled
  EXPECT_EQ(Cell(kReceived, 1, kRecordColumnName), "");
  lists->FillPage(kReceived);
  lists->FillPage(kReceived);
  EXPECT_EQ(lists->PageRowCount(kReceived), 4);
  const std::string receiveTime = FormatDateTime(kDateTimeFormat, lists->ReceivedList()[2].ReceiveTime);
  const std::vector<std::string> expected = {
      "", "2012-03-07 09:05:02", "r2", "1.50 MB", Cp("资源类型"), Cp("资源备注"), receiveTime};
  for (int column = 0; column < kReceivedGridColumns; ++column)
    EXPECT_EQ(Cell(kReceived, 3, column), expected[column]) << column;
  EXPECT_EQ(Cell(kReceived, 3, kRecordColumnDeleteTime), "");  // no such column here
}

TEST_F(RecordPages, DeleteOfRowTwoOfThree) {
  Receive(3);
  lists->FillPage(kReceived);
  const TReceivedRec deleted = lists->ReceivedList()[1];
  const TDateTime before = TDateTime::Now();
  ASSERT_TRUE(lists->DeleteReceived(1));

  EXPECT_EQ(lists->ReceivedCount(), 2);
  EXPECT_EQ(lists->PageRowCount(kReceived), 3);
  EXPECT_EQ(Cell(kReceived, 2, kRecordColumnName), "r2");
  EXPECT_EQ(lists->ReceivedList()[1].Name.Get(), "r2");
  ASSERT_EQ(lists->RecycleCount(), 1);
  const TRecycledRec recycled = lists->RecycleList()[0];
  EXPECT_EQ(std::memcmp(&recycled, &deleted, sizeof deleted), 0);  // the ten shared fields, in order
  EXPECT_GE(recycled.DeleteTime.Value, before.Value);

  EXPECT_EQ(Cell(kRecycled, 1, kRecordColumnName), "");  // until the recycle page is filled
  lists->FillPage(kRecycled);
  EXPECT_EQ(Cell(kRecycled, 1, kRecordColumnName), "r1");
  EXPECT_EQ(Cell(kRecycled, 1, kRecordColumnDeleteTime),
            FormatDateTime(kDateTimeFormat, recycled.DeleteTime));
}

TEST_F(RecordPages, RemovalsOutsideTheListChangeNothing) {
  Receive(1);
  lists->FillPage(kReceived);
  for (int row : {0, 2, -1}) {
    EXPECT_FALSE(lists->RemoveReceivedRow(row));
    EXPECT_FALSE(lists->RemoveRecycledRow(row));
  }
  EXPECT_EQ(lists->ReceivedCount(), 1);
  ASSERT_TRUE(lists->RemoveReceivedRow(1));  // the only record: the grid keeps one empty row
  EXPECT_EQ(lists->ReceivedCount(), 0);
  EXPECT_EQ(lists->PageRowCount(kReceived), 2);
  EXPECT_EQ(Cell(kReceived, 1, kRecordColumnName), "");
  EXPECT_EQ(lists->ReceiveAgain(0), nullptr);
  EXPECT_FALSE(lists->DeleteReceived(0));
}

TEST_F(RecordPages, ReceiveAgainMakesAOneSegmentJobAndTakesTheRowOut) {
  Receive(2);  // from a port where nothing listens: the started run ends at once
  lists->FillPage(kReceived);
  const auto job = lists->ReceiveAgain(0);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->SegCount, 1);
  ASSERT_EQ(lists->PendingCount(), 1);
  EXPECT_EQ(lists->PendingList()[0].SegCount, 1);
  EXPECT_EQ(lists->ReceivedCount(), 1);
  EXPECT_EQ(lists->PageRowCount(kReceived), 2);
  EXPECT_EQ(Cell(kReceived, 1, kRecordColumnName), "r1");
  EXPECT_TRUE(job->WaitUntilIdle(20000));
}

}  // namespace
}  // namespace bailan

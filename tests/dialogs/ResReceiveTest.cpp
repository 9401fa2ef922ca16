#include <gtest/gtest.h>

#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <vector>

#include "qt/dialogs/ResReceive.h"
#include "engine/DownloadJob.h"
#include "qt/installer/MessageBox.h"
#include "qt/installer/QtText.h"
#include "platform/Cp936.h"
#include "receive/ReceiveLists.h"
#include "support/EngineRun.h"
#include "support/TempDir.h"
#include "support/TestServer.h"

namespace bailan {
namespace {

// Answers every message box with OK and keeps what was asked.
class RecordedBoxes {
 public:
  RecordedBoxes() {
    SetMessageSeam([this](const TMessageRequest& request) {
      asked.push_back(request);
      return mbOK;
    });
  }
  ~RecordedBoxes() { SetMessageSeam(nullptr); }
  std::vector<TMessageRequest> asked;
};

class ResReceive : public ::testing::Test {
 protected:
  void SetUp() override {
    server.SetFileOptions(test::Throttled(1024, 50));  // slow: the jobs are still running when looked at
    server.AddFile("/a.zip", test::PatternBytes(300000));
    server.AddFile("/b.zip", test::PatternBytes(300000));
    dialog.SetDownloadFolder(folder.Path());
  }
  void TearDown() override {
    for (const auto& job : lists->ReleaseJobs()) {
      job->RequestStop();
      EXPECT_TRUE(job->WaitUntilIdle(20000));
    }
  }

  TOfferedResource Offer(const std::string& name, const std::string& type = "1",
                         const std::string& pushTime = "2026-03-07 09:05:02") {
    return {name, Cp("软件"), pushTime, "who", Cp("备注") + name, server.Url("/" + name + ".zip"), type, "7"};
  }
  QTreeWidget* List() { return dialog.findChild<QTreeWidget*>("ListView1"); }
  QTreeWidgetItem* Row(int index) { return List()->topLevelItem(index); }
  bool Ticked(int index) { return Row(index)->checkState(0) == Qt::Checked; }
  void Tick(int index, bool ticked) { Row(index)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked); }
  void Click(const char* button) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
  }
  QCheckBox* SelectAll() { return dialog.findChild<QCheckBox*>("CheckBox1"); }

  test::TTestServer server;
  test::TTempDir folder;
  std::shared_ptr<TReceiveLists> lists = TReceiveLists::Create();
  TFResReceive dialog{lists};
  RecordedBoxes boxes;
};

TEST_F(ResReceive, LooksAsDesigned) {
  QWidget main;
  main.setGeometry(200, 150, 900, 700);
  TFResReceive centred(lists, &main);
  centred.show();
  EXPECT_EQ(centred.windowTitle(), QStringLiteral("资源下载"));
  EXPECT_EQ(centred.size(), QSize(588, 392));
  EXPECT_EQ(centred.minimumSize(), centred.maximumSize());
  EXPECT_EQ(centred.font().pixelSize(), 12);
  EXPECT_LE((centred.frameGeometry().center() - main.frameGeometry().center()).manhattanLength(), 2);
  centred.close();

  const QStringList captions = {"推送资源名称", "资源分类", "推送时间", "推送人",
                                "备注",         "下载地址", "下载类型", "ID"};
  const std::vector<int> widths = {200, 100, 120, 80, 200, 0, 0, 0};
  ASSERT_EQ(List()->columnCount(), 8);
  for (int column = 0; column < 8; ++column) {
    EXPECT_EQ(List()->headerItem()->text(column), captions[column]);
    EXPECT_EQ(List()->header()->sectionSize(column), widths[column]) << column;
  }
  EXPECT_EQ(List()->geometry(), QRect(8, 8, 572, 345));
  EXPECT_EQ(List()->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(SelectAll()->text(), QStringLiteral("全选"));
  EXPECT_FALSE(SelectAll()->isChecked());
  EXPECT_EQ(dialog.findChild<QPushButton*>("BitBtn1")->text(), QStringLiteral("确定(&O)"));
  EXPECT_EQ(dialog.findChild<QPushButton*>("BitBtn2")->geometry(), QRect(486, 360, 75, 25));
}

TEST_F(ResReceive, OkWithNothingTickedCreatesNothing) {
  dialog.AddResource(Offer("a"));
  dialog.show();
  Click("BitBtn1");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(lists->PendingCount(), 0);
  EXPECT_EQ(lists->JobCount(), 0);
}

TEST_F(ResReceive, EscapeCancelsAndTakesNothingOver) {
  dialog.AddResource(Offer("a"));
  Tick(0, true);
  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(lists->PendingCount(), 0);
}

TEST_F(ResReceive, TwoTickedRowsBecomeTwoRunningJobsInRowOrder) {
  dialog.AddResource(Offer("a"));
  dialog.AddResource(Offer("skipped"));
  dialog.AddResource(Offer("b"));
  Tick(0, true);
  Tick(2, true);
  dialog.show();
  Click("BitBtn1");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(boxes.asked.empty());

  const auto pending = lists->PendingList();
  ASSERT_EQ(pending.size(), 2u);
  const auto jobs = lists->JobList();
  ASSERT_EQ(jobs.size(), 2u);
  const char* names[] = {"a", "b"};
  for (int i = 0; i < 2; ++i) {
    const TResourceRec& record = pending[i];
    EXPECT_EQ(record.Name.Get(), names[i]);
    EXPECT_EQ(record.URL.Get(), server.Url(std::string("/") + names[i] + ".zip"));
    EXPECT_EQ(record.SavePath.Get(), folder.Path() + "/" + Cp("软件"));
    EXPECT_EQ(record.Category.Get(), Cp("软件"));
    EXPECT_EQ(record.Remark.Get(), Cp("备注") + names[i]);
    EXPECT_EQ(record.PublishTime, TDateTime::FromParts(2026, 3, 7, 9, 5, 2));
    EXPECT_EQ(record.SegCount, 3);
    EXPECT_EQ(record.Flag, 1);
    EXPECT_EQ(jobs[i]->URL, record.URL.Get());
    EXPECT_EQ(jobs[i]->SegCount, 3);
    EXPECT_EQ(jobs[i]->Running, 1);
  }
}

TEST_F(ResReceive, MandatoryRowsStayTicked) {
  dialog.AddResource(Offer("a", "0"));
  dialog.AddResource(Offer("b", "1"));
  dialog.AddResource(Offer("c", "00"));  // only exactly "0" is mandatory
  EXPECT_TRUE(Ticked(0));
  EXPECT_FALSE(Ticked(1));
  dialog.show();
  SelectAll()->click();
  EXPECT_TRUE(Ticked(0) && Ticked(1) && Ticked(2));
  SelectAll()->click();
  EXPECT_TRUE(Ticked(0));
  EXPECT_FALSE(Ticked(1) || Ticked(2));
  Tick(0, false);  // as a click on its check box does
  EXPECT_TRUE(Ticked(0));
}

TEST_F(ResReceive, ARowThatCannotBeTakenOverStopsAtItself) {
  const std::string tooLong(1100, 'x');
  const struct {
    TOfferedResource offer;
    std::string message;
  } cases[] = {
      {Offer("b", "0", "2026-02-30 10:00:00"), "'2026-02-30 10:00:00' is not a valid date and time"},
      {{"b", "../up", "2026-01-01", "", "", "u", "0", ""}, "'../up' is not a valid folder name"},
      {{"b", tooLong, "2026-01-01", "", "", "u", "0", ""},
       "'" + folder.Path() + "/" + tooLong + "' is too long for a folder"},
  };
  for (const auto& bad : cases) {
    auto caseLists = TReceiveLists::Create();
    TFResReceive caseDialog(caseLists);
    caseDialog.SetDownloadFolder(folder.Path());
    caseDialog.AddResource(Offer("a", "0"));
    caseDialog.AddResource(bad.offer);
    caseDialog.AddResource(Offer("c", "0"));
    caseDialog.show();
    boxes.asked.clear();
    QTest::mouseClick(caseDialog.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);

    ASSERT_EQ(boxes.asked.size(), 1u) << bad.message;
    EXPECT_EQ(boxes.asked[0].Text, ToQString(Cp("获取资源时出错：") + bad.message));
    EXPECT_EQ(boxes.asked[0].Caption, QStringLiteral("错误信息"));
    EXPECT_EQ(boxes.asked[0].Icon, TMessageIcon::Error);
    EXPECT_EQ(boxes.asked[0].Owner, &caseDialog);
    EXPECT_TRUE(caseDialog.isVisible());
    ASSERT_EQ(caseLists->PendingCount(), 1);  // the row before is taken over, nothing of the bad one
    EXPECT_EQ(caseLists->PendingList()[0].Name.Get(), "a");
    EXPECT_EQ(caseLists->JobCount(), 1);
    QTest::mouseClick(caseDialog.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);  // OK again
    EXPECT_EQ(boxes.asked.size(), 2u);
    EXPECT_EQ(caseLists->JobCount(), 1);  // the row taken over is not started twice
    for (const auto& job : caseLists->ReleaseJobs()) {
      job->RequestStop();
      EXPECT_TRUE(job->WaitUntilIdle(20000));
    }
  }
}

TEST_F(ResReceive, OverlongTextsAreCutAtAWholeCharacter) {
  TOfferedResource offer = Offer("a");
  offer.Name = std::string(254, 'n') + Cp("中");  // 256 bytes: the last character does not fit whole
  offer.Remark = std::string(1022, 'r') + Cp("中");
  dialog.AddResource(offer);
  Tick(0, true);
  Click("BitBtn1");
  const TResourceRec record = lists->PendingList().at(0);
  EXPECT_EQ(record.Name.Get(), std::string(254, 'n'));
  EXPECT_EQ(record.Remark.Get(), std::string(1022, 'r'));
  EXPECT_EQ(ToQString(Cp("中")), QStringLiteral("中"));
}

}  // namespace
}  // namespace bailan

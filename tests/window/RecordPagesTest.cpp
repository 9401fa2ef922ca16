#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <tuple>
#include <vector>

#include "engine/DownloadJob.h"
#include "platform/Cp936.h"
#include "qt/installer/MessageBox.h"
#include "qt/installer/PictureStrip.h"
#include "qt/installer/QtText.h"
#include "receive/ReceiveLists.h"
#include "qt/receive/DesktopShell.h"
#include "qt/receive/FMain.h"
#include "qt/receive/ReceiveArea.h"
#include "qt/receive/RecordPages.h"
#include "support/EngineRun.h"
#include "support/ReceivedRecords.h"
#include "support/TempDir.h"
#include "support/TestServer.h"

namespace bailan {
namespace {

// The pages on a bare receive area, with every message box and shell call
// answered and recorded here.
class RecordPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageSeam([this](const TMessageRequest& request) {
      asked.push_back(request);
      return answer;
    });
    SetShellOpener([this](const QUrl& url) { opened.push_back(url.toLocalFile().toStdString()); });
    server.SetFileOptions(test::Throttled(1024, 50));
    server.AddFile("/r.zip", test::PatternBytes(100000));
  }
  void TearDown() override {
    SetMessageSeam(nullptr);
    SetShellOpener(nullptr);
    for (const auto& job : lists->ReleaseJobs()) {
      job->RequestStop();
      EXPECT_TRUE(job->WaitUntilIdle(20000));
    }
  }

  // Received records "r0", "r1", ... whose files would lie in `folder`; the odd
  // ones name it with a trailing "/".
  void Receive(int count) {
    test::AddReceivedRecords(*lists, count, server.Url("/r.zip"),
                             [this](int i) { return folder.Path() + (i % 2 == 1 ? "/" : ""); });
  }
  void ShowPage(int index) {
    area.RzPgCtrl_Main->setCurrentIndex(0);
    area.RzPgCtrl_Main->setCurrentIndex(index);
  }
  void Select(QTableView* grid, int row) { grid->setCurrentIndex(grid->model()->index(row - 1, 1)); }
  void Confirmed(QAction* item, QTableView* grid, int row, const char* question);
  QString Text(QTableView* grid, int row, int column) {
    return grid->model()->index(row - 1, column).data().toString();
  }

  test::TTestServer server;
  test::TTempDir folder;
  std::shared_ptr<TReceiveLists> lists = TReceiveLists::Create();
  QWidget window;
  TReceiveArea area = TReceiveArea::Build(&window);
  int jobsChanged = 0;
  TRecordPages pages{lists, area, &window, [this] { ++jobsChanged; }};
  std::vector<TMessageRequest> asked;
  int answer = mbYes;
  std::vector<std::string> opened;
};

TEST_F(RecordPagesTest, GridsAndMenusAsDesigned) {
  const QStringList headers = {"状态",     "发布时间", "资源名称", "资源大小",
                               "资源分类", "备注",     "接收时间", "删除时间"};
  const std::vector<int> widths = {30, 120, 180, 80, 100, 120, 120, 120};
  for (QTableView* grid : {pages.StringGrid2, pages.StringGrid3}) {
    const int columns = grid == pages.StringGrid2 ? 7 : 8;
    ASSERT_EQ(grid->model()->columnCount(), columns);
    EXPECT_EQ(grid->model()->rowCount(), 1);  // one empty data row
    for (int column = 0; column < columns; ++column) {
      EXPECT_EQ(grid->model()->headerData(column, Qt::Horizontal).toString(), headers[column]);
      EXPECT_EQ(grid->columnWidth(column) - grid->columnWidth(0) + 30, widths[column]);
    }
    EXPECT_EQ(grid->selectionBehavior(), area.StringGrid1->selectionBehavior());
    EXPECT_EQ(grid->selectionMode(), area.StringGrid1->selectionMode());
  }
  EXPECT_EQ(pages.StringGrid2->parentWidget(), area.RzTbSht_Received);
  EXPECT_EQ(pages.StringGrid3->parentWidget(), area.RzTbSht_Recycle);
  QStringList items;
  for (QAction* item : pages.PM2->actions()) items << (item->isSeparator() ? "-" : item->text());
  EXPECT_EQ(items, QStringList({"打开", "打开所在目录", "-", "重新接收", "删除"}));
  EXPECT_EQ(pages.PM2->defaultAction(), pages.pmiOpen);
  ASSERT_EQ(pages.PM3->actions().size(), 1);
  EXPECT_EQ(pages.N5->text(), QStringLiteral("还原"));
}

TEST_F(RecordPagesTest, EmptyListsAskNothingAndDoNothing) {
  ShowPage(1);
  ShowPage(2);
  for (QAction* item : {pages.pmiOpen, pages.pmiOpenDir, pages.pmiReReceive, pages.pmiDelete, pages.N5})
    item->trigger();
  EXPECT_TRUE(asked.empty());
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(lists->JobCount(), 0);
  EXPECT_EQ(pages.StringGrid2->model()->rowCount(), 1);
}

TEST_F(RecordPagesTest, FillingOnPageChange) {
  Receive(3);
  EXPECT_EQ(pages.StringGrid2->model()->rowCount(), 1);  // "已接收" is active from the start
  area.RzPgCtrl_Main->setCurrentIndex(0);
  EXPECT_EQ(pages.StringGrid2->model()->rowCount(), 1);  // the receiving page fills nothing
  area.RzPgCtrl_Main->setCurrentIndex(1);
  EXPECT_EQ(pages.StringGrid2->model()->rowCount(), 3);
  EXPECT_EQ(Text(pages.StringGrid2, 3, 2), QStringLiteral("r2"));
  EXPECT_EQ(Text(pages.StringGrid2, 3, 3), QStringLiteral("1.50 MB"));
  EXPECT_EQ(Text(pages.StringGrid2, 1, 0), QString());
  ShowPage(1);  // coming back without a change adds no row
  EXPECT_EQ(pages.StringGrid2->model()->rowCount(), 3);
}

// Selects `row` of `grid`, answers the command's question with No (nothing may
// change), then with Yes; checks the question.
void RecordPagesTest::Confirmed(QAction* item, QTableView* grid, int row, const char* question) {
  Select(grid, row);
  const auto counts = [this] {
    return std::tuple(lists->ReceivedCount(), lists->RecycleCount(), lists->JobCount());
  };
  const auto before = counts();
  answer = mbNo;
  item->trigger();
  EXPECT_EQ(counts(), before);
  answer = mbYes;
  item->trigger();
  ASSERT_FALSE(asked.empty());
  const TMessageRequest& last = asked.back();
  EXPECT_EQ(last.Text, Ui(question));
  EXPECT_EQ(last.Caption, QStringLiteral("确认信息"));
  EXPECT_EQ(last.Icon, TMessageIcon::Question);
  EXPECT_EQ(last.Buttons, mbYes | mbNo);
  EXPECT_EQ(last.DefaultButton, mbYes);
  EXPECT_EQ(last.Owner, &window);
}

TEST_F(RecordPagesTest, DeleteRestoreAndReceiveAgainMoveRecordsWithTheirRows) {
  Receive(3);
  const TReceivedRec r1 = lists->ReceivedList()[1];
  ShowPage(1);
  Confirmed(pages.pmiDelete, pages.StringGrid2, 2, "是否确定删除此资源？");
  EXPECT_EQ(pages.StringGrid2->model()->rowCount(), 2);
  EXPECT_EQ(Text(pages.StringGrid2, 2, 2), QStringLiteral("r2"));
  EXPECT_EQ(Text(pages.StringGrid3, 1, 2), QString());  // until the recycle page is shown
  ShowPage(2);
  EXPECT_EQ(Text(pages.StringGrid3, 1, 2), QStringLiteral("r1"));
  EXPECT_FALSE(Text(pages.StringGrid3, 1, 7).isEmpty());

  Confirmed(pages.N5, pages.StringGrid3, 1, "是否确定还原此资源？");
  EXPECT_EQ(pages.StringGrid3->model()->rowCount(), 1);
  ASSERT_EQ(lists->ReceivedCount(), 3);
  EXPECT_EQ(lists->ReceivedList()[2].Name.Get(), "r1");
  EXPECT_EQ(lists->ReceivedList()[2].ReceiveTime, r1.ReceiveTime);

  ShowPage(1);
  Confirmed(pages.pmiReReceive, pages.StringGrid2, 3, "是否确定重新接收此资源？");
  ASSERT_EQ(lists->JobCount(), 1);
  const auto job = lists->JobList()[0];
  EXPECT_EQ(job->Name, "r1");
  EXPECT_EQ(job->SegCount, 1);
  EXPECT_EQ(job->Running, 1);
  EXPECT_EQ(jobsChanged, 1);
  EXPECT_EQ(pages.StringGrid2->model()->rowCount(), 2);
}

TEST_F(RecordPagesTest, OpenThroughTheShellOrReportTheFileGone) {
  Receive(2);
  test::WriteFileBytes(folder / "r1.zip", "x");
  window.resize(1700, 500);  // the area lies beyond the installer window's edge
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  area.RzPgCtrl_Main->setCurrentIndex(0);
  area.RzPgCtrl_Main->setCurrentIndex(1);
  Select(pages.StringGrid2, 2);
  const QPoint cell = pages.StringGrid2->visualRect(pages.StringGrid2->currentIndex()).center();
  QTest::mousePress(pages.StringGrid2->viewport(), Qt::LeftButton, {}, cell);  // a double click's first press
  QTest::mouseDClick(pages.StringGrid2->viewport(), Qt::LeftButton, {}, cell);
  pages.pmiOpen->trigger();
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(opened, std::vector<std::string>(2, folder / "r1.zip"));

  Select(pages.StringGrid2, 1);  // its file was unpacked and removed
  pages.pmiOpen->trigger();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].Text, QStringLiteral("资源文件已经被移除！"));
  EXPECT_EQ(asked[0].Caption, QStringLiteral("警告信息"));
  EXPECT_EQ(asked[0].Icon, TMessageIcon::Warning);
  EXPECT_EQ(asked[0].Buttons, mbOK);
  pages.pmiOpenDir->trigger();  // the folder is opened all the same
  EXPECT_EQ(opened.back(), folder.Path());
}

TEST_F(RecordPagesTest, OpenHandsTheShellTheFileItChecked) {
  // The system's CP936 reads 0x80 as the euro sign and leaves 0x81 0x30 unmapped
  // (U+FFFD); GB18030 leaves 0x80 unmapped and reads 0x81 0x30 0x81 0x30 as U+0080.
  const std::string name = "r\x80\x81\x30\x81\x30.zip";
  TResourceRec record{};
  record.Name = "odd";
  record.SavePath = folder.Path();
  record.SegCount = 1;
  lists->CompleteJob(*lists->AddPendingJob(record, false), name, 1, nullptr);
  const std::string onDisk = folder / Cp936ToUtf8(name);
  test::WriteFileBytes(onDisk, "x");
  ShowPage(1);
  Select(pages.StringGrid2, 1);
  pages.pmiOpen->trigger();
  EXPECT_TRUE(asked.empty());
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], onDisk);
}

// Whether every opaque pixel of status picture `slot` is drawn centred in the
// cell of row 1, column 0.
bool IconInFirstCell(QTableView* grid, int slot) {
  const QImage icon = PictureSlot(":/assets/status.png", slot, QSize(16, 16)).toImage();
  const QImage shown = grid->viewport()->grab().toImage();
  const QRect cell = grid->visualRect(grid->model()->index(0, 0));
  const QPoint at(cell.left() + (cell.width() - 16) / 2, cell.top() + (cell.height() - 16) / 2);
  bool drawn = true;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const QColor expected = icon.pixelColor(x, y);
      if (expected.alpha() == 255) drawn = drawn && shown.pixelColor(at + QPoint(x, y)) == expected;
    }
  }
  return drawn;
}

TEST_F(RecordPagesTest, StatusIconsOnlyBesideRecords) {
  Receive(1);
  window.resize(1700, 500);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ShowPage(1);
  EXPECT_TRUE(IconInFirstCell(pages.StringGrid2, TRecordPages::kReceivedIcon));
  ShowPage(2);  // an empty recycle list: its one row has no icon
  EXPECT_FALSE(IconInFirstCell(pages.StringGrid3, TRecordPages::kRecycledIcon));
}

TEST(FMainPages, TheMainWindowCarriesBothPages) {
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  TFMain main;
  ASSERT_NE(main.RecordPages(), nullptr);
  EXPECT_EQ(main.RecordPages()->StringGrid2->parentWidget(), main.Area().RzTbSht_Received);
  EXPECT_EQ(main.findChild<QTableView*>("StringGrid3"), main.RecordPages()->StringGrid3);
  EXPECT_EQ(main.Area().RzPgCtrl_Main->currentIndex(), TRecordPages::kPageReceived);
}

}  // namespace
}  // namespace bailan

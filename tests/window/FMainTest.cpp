// The main window driven as the installer drives it, on the offscreen platform,
// against the loopback test server.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <fstream>

#include "engine/DownloadJob.h"
#include "platform/Cp936.h"
#include "qt/installer/LedProgressBar.h"
#include "qt/installer/MessageBox.h"
#include "qt/installer/QtText.h"
#include "qt/receive/FMain.h"
#include "qt/receive/GaugeWidget.h"
#include "receive/GlobalTexts.h"
#include "receive/ManifestFetch.h"
#include "receive/ReceiveLists.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "support/ZipBuilder.h"
#include "ui_MainForm.h"

namespace bailan {
namespace {

namespace fs = std::filesystem;

// An installation of a few small archives from the loopback server takes about a
// second; a job left hanging (a retry pause, a stuck transfer) must fail the case,
// not be waited out.
constexpr int kSmallInstallationMs = 15000;

class TFMainTest : public ::testing::Test {
 protected:
  test::TTempDir dir;
  std::vector<TMessageRequest> boxes;
  int answer = mbOK;
  bool quit = false;
  std::unique_ptr<TFMain> form;

  void SetUp() override {
    setenv("TEMP", dir.Path().c_str(), 1);
    SetManifestIni(nullptr);
    boxes.clear();
    SetMessageSeam([this](const TMessageRequest& request) {
      boxes.push_back(request);
      return answer;
    });
    form = std::make_unique<TFMain>();
    form->StartShowcaseLoad = [] {};
    form->QuitRequest = [this] { quit = true; };
    form->Form()->InstallPath->setText(QString::fromStdString(dir / "inst"));
  }
  void TearDown() override {
    form.reset();
    SetMessageSeam(nullptr);
    SetManifestIni(nullptr);
    unsetenv("TEMP");
  }
  void ShowAndConfirmWarning() {
    form->show();
    QTRY_COMPARE(boxes.size(), std::size_t{1});
  }
  std::string ProductFolder() const { return dir / "inst/" + Cp936ToUtf8(ProductName()); }
  bool HasBox(const char* text) const {
    return std::any_of(boxes.begin(), boxes.end(), [&](const auto& b) { return b.Text == Ui(text); });
  }
  std::shared_ptr<TDownloadJob> AddIdleJob(const std::string& url) {
    TResourceRec record;
    record.URL = url;
    record.SegCount = 3;
    record.SavePath = dir / "jobs";
    return form->Lists()->AddPendingJob(record, false);
  }
};

std::string ManifestOf(int entries, const test::TTestServer& server) {
  std::string text;
  for (int n = 0; n < entries; ++n) {
    text += (n == 0 ? std::string("[bailan]") : "[file" + std::to_string(n) + "]") +
            "\r\nurl=" + server.Url("/f" + std::to_string(n) + ".zip") + "\r\n";
  }
  return text;
}

TEST_F(TFMainTest, InstallClickRunsTheWholeInstallation) {
  for (int entries : {1, 3, 21}) {
    SCOPED_TRACE(entries);
    TearDown();
    fs::remove_all(dir.Path() + "/inst");
    SetUp();
    test::TTestServer server;
    server.AddFile("/install/Tavro/Live.txt", ManifestOf(entries, server));
    for (int n = 0; n < entries; ++n) {
      server.AddFile("/f" + std::to_string(n) + ".zip",
                     test::TZipBuilder()
                         .AddFile("file" + std::to_string(n) + ".txt", std::string(5000 + n, 'a' + n % 26), 8)
                         .Build());
    }
    form->FetchManifestStep = [&] { return FetchManifestFrom(server.Url("/install/Tavro/Live.txt")); };
    ShowAndConfirmWarning();
    form->BtnSteupClick();
    EXPECT_EQ(form->Lists()->PendingCount() + form->Lists()->ReceivedCount(), entries);
    EXPECT_TRUE(form->Form()->Page2Bottom->isVisible());
    EXPECT_TRUE(form->Timer1()->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(HasBox("安装完成！"), kSmallInstallationMs);
    EXPECT_EQ(boxes.back().Caption, Ui("柏岚软件"));
    EXPECT_EQ(boxes.back().Icon, TMessageIcon::Information);
    EXPECT_FALSE(form->Timer1()->isActive());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->Lists()->ReceivedCount(), entries);
    EXPECT_EQ(form->DwonLabel()->text(), Ui("已完成  0%"));  // the last tick found no job
    for (int n = 0; n < entries; ++n) {
      EXPECT_EQ(test::ReadFileBytes(ProductFolder() + "/file" + std::to_string(n) + ".txt"),
                std::string(5000 + n, 'a' + n % 26));
    }
    for (const auto& entry : fs::directory_iterator(ProductFolder())) {
      EXPECT_EQ(entry.path().extension(), ".txt")
          << entry.path();  // no archive, .rpc, .rpc.cfg or GO.bat left
    }
  }
}

TEST_F(TFMainTest, ManifestWithoutEntriesEndsOnPage3WithTheLauncherError) {
  test::TTestServer server;
  server.AddFile("/m", "<html>not a manifest</html>");
  form->FetchManifestStep = [&] { return FetchManifestFrom(server.Url("/m")); };
  ShowAndConfirmWarning();
  form->BtnSteupClick();
  QTRY_VERIFY(form->Form()->page3->isVisible());
  QTRY_COMPARE(boxes.size(), std::size_t{2});
  EXPECT_EQ(boxes[1].Caption, Ui("柏岚软件"));
  EXPECT_EQ(boxes[1].Icon, TMessageIcon::Error);
  EXPECT_TRUE(boxes[1].Text.startsWith("Cannot create file")) << boxes[1].Text.toStdString();
  EXPECT_FALSE(form->Timer1()->isActive());
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(quit);
}

TEST_F(TFMainTest, WindowAnswersDuringTheFetchAndASecondClickIsIgnored) {
  test::TTestServer server;
  server.AddScript(test::TConnectionScript().ReadRequest().Pause(1500).Send(
      "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"));
  form->FetchManifestStep = [&] { return FetchManifestFrom(server.Url("/install/Tavro/Live.txt")); };
  ShowAndConfirmWarning();
  int ticks = 0;
  QTimer during;
  QObject::connect(&during, &QTimer::timeout, [&] {
    ++ticks;
    emit form->Form()->BtnSteup->clicked();  // while the first click waits for the manifest
  });
  during.start(100);
  form->BtnSteupClick();
  during.stop();
  EXPECT_GE(ticks, 5);  // the GUI thread kept processing its timers during the 1.5 s wait
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(boxes.size(), 1u);  // an empty manifest: no error box
  EXPECT_TRUE(form->Form()->Page2Bottom->isVisible());
}

TEST_F(TFMainTest, UnreachableServerReportsAndQuits) {
  std::string url;
  {
    test::TTestServer closed;
    url = closed.Url("/install/Tavro/Live.txt");
  }
  form->FetchManifestStep = [&] { return FetchManifestFrom(url); };
  ShowAndConfirmWarning();
  form->BtnSteupClick();
  ASSERT_EQ(boxes.size(), std::size_t{2});
  EXPECT_EQ(boxes[1].Caption, Ui("错误"));
  EXPECT_EQ(boxes[1].Text, Ui("安装过程出错，可能是您未连接网络或拒绝连接网络，请将安全软件关闭后重试！"));
  EXPECT_TRUE(quit);
  EXPECT_EQ(form->Lists()->JobCount(), 0);
  EXPECT_TRUE(fs::is_empty(dir.Path()));  // a failed fetch leaves no copy, nor a file of its own
}

TEST_F(TFMainTest, TempNotWritableStaysOnPage1WithTheErrorReport) {
  setenv("TEMP", (dir / "missing").c_str(), 1);
  ShowAndConfirmWarning();
  emit form->Form()->BtnSteup->clicked();
  ASSERT_EQ(boxes.size(), std::size_t{2});
  EXPECT_EQ(boxes[1].Caption, Ui("柏岚软件"));
  EXPECT_TRUE(
      boxes[1].Text.startsWith("Cannot create file \"" + QString::fromStdString(dir / "missing/update.ini")));
  EXPECT_TRUE(boxes[1].Text.endsWith('.'));
  EXPECT_TRUE(form->Form()->Page1Bottom->isVisible());
  EXPECT_FALSE(form->Timer1()->isActive());
}

TEST_F(TFMainTest, AddToDownLoadListReadsTheManifestSections) {
  const std::string save = dir / "inst/" + Cp936ToUtf8(ProductName());
  struct {
    const char* What;
    std::string Manifest;
    std::vector<std::string> Urls;
  } cases[] = {
      {"no bailan section", "[file1]\nurl=a\n", {}},
      {"gap stops", "[bailan]\nurl=a\n[file2]\nurl=c\n", {"a"}},
      {"empty url skips",
       "[bailan]\nurl=a\n[file1]\nurl=\n[file2]\nurl=c\n[file3]\nurl=d\n",
       {"a", "c", "d"}},
      {"error stops", "[bailan]\nurl=a\n[file1]\nurl=error\n[file2]\nurl=c\n", {"a"}},
      {"Error is an address", "[BAILAN]\nURL=Error\n", {"Error"}},
      {"same url twice", "[bailan]\nurl=a\n[file1]\nurl=a\n", {"a", "a"}},
  };
  for (const auto& c : cases) {
    TearDown();
    SetUp();
    SetManifestIni(std::make_unique<TIniFile>(TIniFile::FromText(c.Manifest)));
    form->AddToDownLoadList();
    const auto pending = form->Lists()->PendingList();
    ASSERT_EQ(pending.size(), c.Urls.size()) << c.What;
    for (std::size_t i = 0; i < pending.size(); ++i) {
      EXPECT_EQ(pending[i].URL.Get(), c.Urls[i]) << c.What;
      EXPECT_EQ(pending[i].Name.Get(), Cp("柏岚软件"));
      EXPECT_EQ(pending[i].SavePath.Get(), Utf8ToCp936(save));
      EXPECT_EQ(pending[i].SegCount, 3);
      EXPECT_EQ(pending[i].Category.Get(), Cp("资源类型"));
      EXPECT_EQ(pending[i].Remark.Get(), Cp("资源备注"));
      EXPECT_EQ(pending[i].Flag, 1);
      EXPECT_EQ(form->Lists()->Cell(static_cast<std::int32_t>(i) + 1, kColumnName), Cp("柏岚软件"));
    }
    for (const auto& job : form->Lists()->JobList()) EXPECT_EQ(job->Running, 0);
  }
  TearDown();
  SetUp();
  std::string all;
  for (int n = 0; n <= 21; ++n)
    all += (n ? "[file" + std::to_string(n) + "]" : std::string("[bailan]")) + "\nurl=u" + std::to_string(n) +
           "\n";
  SetManifestIni(std::make_unique<TIniFile>(TIniFile::FromText(all)));
  form->AddToDownLoadList();
  EXPECT_EQ(form->Lists()->JobCount(), 21);  // file21 is never read
  EXPECT_EQ(form->Lists()->PendingList().back().URL.Get(), "u20");
}

TEST_F(TFMainTest, Timer1TimerSumsClearsIdleCellsAndShowsThePercentage) {
  auto first = AddIdleJob("http://127.0.0.1:1/a.zip");
  auto second = AddIdleJob("http://127.0.0.1:1/b.zip");
  form->Timer1Timer();
  EXPECT_EQ(form->DwonLabel()->text(), Ui("已完成  0%"));
  first->TotalSize = 100;
  first->ReceivedSize = 50;
  second->TotalSize = 300;
  second->ReceivedSize = 300;
  for (int column : {kColumnSize, kColumnSpeed, kColumnRemaining, kColumnElapsed}) {
    form->Lists()->SetCell(first->Row, column, "old");
  }
  form->Timer1Timer();
  EXPECT_EQ(form->DwonLabel()->text(), Ui("已完成  88%"));
  EXPECT_EQ(form->Form()->ProgressBar->TotalParts(), 400);
  EXPECT_EQ(form->Form()->ProgressBar->PartsComplete(), 350);
  EXPECT_EQ(form->Lists()->Cell(first->Row, kColumnSize), "old");
  for (int column : {kColumnSpeed, kColumnRemaining, kColumnElapsed}) {
    EXPECT_EQ(form->Lists()->Cell(first->Row, column), "");
  }
  EXPECT_TRUE(form->Form()->page3->isHidden());  // jobs are left: no completion
}

// A job kept running by a slow server.
struct TRunningJob {
  test::TTestServer Server;
  std::shared_ptr<TDownloadJob> Job;
  TRunningJob(TFMainTest& test, const std::function<std::shared_ptr<TDownloadJob>(const std::string&)>& add) {
    Server.SetFileOptions({false, false, 1024, 50});
    Server.AddFile("/slow.zip", std::string(1 << 20, 'x'));
    Job = add(Server.Url("/slow.zip"));
    Job->StartDownload();
    (void)test;
  }
};

TEST_F(TFMainTest, CloseQueryAsksWhileJobsRunAndWaitsForThem) {
  TRunningJob running(*this, [this](const std::string& url) { return AddIdleJob(url); });
  AddIdleJob("http://127.0.0.1:1/idle.zip");
  ShowAndConfirmWarning();
  QTRY_COMPARE(running.Job->Running.load(), 1);
  answer = mbNo;
  form->close();
  ASSERT_EQ(boxes.size(), std::size_t{2});
  EXPECT_EQ(boxes[1].Text, Ui("软件正在安装,是否退出安装？"));
  EXPECT_EQ(boxes[1].Caption, Ui("确认信息"));
  EXPECT_EQ(boxes[1].DefaultButton, mbNo);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(running.Job->Running, 1);
  answer = mbYes;
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(running.Job->Running, 0);  // stopped within the wait
  EXPECT_EQ(form->Lists()->JobCount(), 0);
}

TEST_F(TFMainTest, PauseAnsweredYesStopsEveryJob) {
  TRunningJob running(*this, [this](const std::string& url) { return AddIdleJob(url); });
  QTRY_COMPARE(running.Job->Running.load(), 1);
  answer = mbNo;
  form->BtnPauseClick();
  EXPECT_EQ(running.Job->Running, 1);
  answer = mbYes;
  form->BtnPauseClick();
  EXPECT_EQ(running.Job->Running, 0);
  // Closing with no running job asks nothing.
  const std::size_t asked = boxes.size();
  form->close();
  EXPECT_EQ(boxes.size(), asked);
}

TEST_F(TFMainTest, DoubleClickStopsAndStartsTheSelectedJobAndAClickShowsItsLog) {
  TRunningJob running(*this, [this](const std::string& url) { return AddIdleJob(url); });
  QTRY_COMPARE(running.Job->Running.load(), 1);
  QTableView* grid = form->Area().StringGrid1;
  grid->setCurrentIndex(grid->model()->index(0, 2));
  form->StringGrid1DblClick();  // running: asked to stop and waited for
  EXPECT_EQ(running.Job->Running, 0);
  running.Job->Log.Add("first");
  form->StringGrid1Click();
  running.Job->Log.Add("later");
  EXPECT_EQ(form->Area().RzRchEdt_JobInfo->toPlainText().toStdString().find("later"), std::string::npos);
  EXPECT_NE(form->Area().RzRchEdt_JobInfo->toPlainText().toStdString().find("first"), std::string::npos);
  form->StringGrid1DblClick();  // idle: started anew
  QTRY_COMPARE(running.Job->Running.load(), 1);
  form->StopAllJobs();
  EXPECT_EQ(running.Job->Running, 0);
}

TEST_F(TFMainTest, PlaceGaugesWithThirtyJobsScrolled) {
  for (int i = 0; i < 30; ++i) AddIdleJob("http://127.0.0.1:1/" + std::to_string(i) + ".zip");
  form->RefreshGrid();
  QTableView* grid = form->Area().StringGrid1;
  form->Area().RzPgCtrl_Main->setCurrentIndex(0);
  grid->setFixedHeight(21 * 10 + 21 + 10);  // header, ten full rows and part of one
  ShowAndConfirmWarning();
  QTRY_COMPARE(grid->viewport()->height(), 21 * 10 + 10);
  const int visible = form->VisibleRowCount();
  ASSERT_EQ(visible, 10);
  auto gaugeOf = [&](int i) { return form->Gauges().at(form->Lists()->JobList()[i].get()); };
  grid->verticalScrollBar()->setValue(4);  // top row 5
  std::vector<int> tops(30, -1);
  for (int i = 0; i < 30; ++i) {
    const bool shown = i >= 4 && i < 5 + visible;
    EXPECT_EQ(!gaugeOf(i)->isHidden(), shown) << i;
    if (shown) tops[i] = gaugeOf(i)->y();
  }
  EXPECT_EQ(gaugeOf(4)->geometry(), QRect(30 + 1 + 120 + 1 + 180 + 1 + 80 + 1 + 2, 4, 100 - 4, 20 - 8));
  EXPECT_EQ(tops[5] - tops[4], 21);
  grid->verticalScrollBar()->setValue(5);
  for (int i = 5; i < 5 + visible; ++i) EXPECT_EQ(gaugeOf(i)->y(), tops[i - 1]) << i;
  EXPECT_TRUE(gaugeOf(4)->isHidden());
}

TEST_F(TFMainTest, StatusIconFollowsTheJobsRunningValue) {
  auto job = AddIdleJob("http://127.0.0.1:1/a.zip");
  form->RefreshGrid();
  QTableView* grid = form->Area().StringGrid1;
  form->Area().RzPgCtrl_Main->setCurrentIndex(0);
  ShowAndConfirmWarning();
  QTRY_VERIFY(grid->viewport()->height() > 0);
  const QRect cell = grid->visualRect(grid->model()->index(0, 0));
  const QRect icon(cell.left() + (30 - 16) / 2, cell.top() + (20 - 16) / 2, 16, 16);
  // The icon as drawn over the cell's own background (the pictures may be transparent).
  const QColor background = grid->viewport()->grab().toImage().pixelColor(cell.topLeft() + QPoint(1, 1));
  auto slot = [&](int index) {
    QImage expected(16, 16, QImage::Format_RGB32);
    expected.fill(background);
    QPainter(&expected).drawPixmap(0, 0, QPixmap(":/assets/status.png").copy(index * 16, 0, 16, 16));
    return expected;
  };
  auto drawn = [&] {
    return grid->viewport()->grab().toImage().copy(icon).convertToFormat(QImage::Format_RGB32);
  };
  EXPECT_EQ(drawn(), slot(0));
  job->Running = 1;  // as a transfer thread sets it
  EXPECT_EQ(drawn(), slot(1));
  job->Running = 0;
  // The empty second data row of a one-job table draws no icon.
  EXPECT_EQ(grid->model()->rowCount(), 1);
}

TEST_F(TFMainTest, TabAndMenuKeysNeverReachTheReceiveArea) {
  AddIdleJob("http://127.0.0.1:1/a.zip");
  form->RefreshGrid();
  ShowAndConfirmWarning();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QWindow* window = form->windowHandle();
  const QWidget* area = form->Area().Panel2;
  auto inArea = [area](const QWidget* widget) { return widget == area || area->isAncestorOf(widget); };
  for (int press = 0; press < 30; ++press) {
    QTest::keyClick(window, Qt::Key_Tab);
    EXPECT_FALSE(inArea(QApplication::focusWidget())) << press;
    QTest::keyClick(window, Qt::Key_Menu);
    if (QWidget* menu = QApplication::activePopupWidget()) {
      ADD_FAILURE() << "a menu opened after " << press + 1 << " Tab presses";
      menu->close();
    }
  }
}

TEST_F(TFMainTest, ReceiveAreaLiesBeyondTheWindow) {
  const TReceiveArea& area = form->Area();
  EXPECT_EQ(area.Panel2->geometry(), QRect(640, 25, 977, 400));
  EXPECT_EQ(area.RzPgCtrl_Main->currentIndex(), 1);
  EXPECT_EQ(area.RzPgCtrl_Main->tabText(0), Ui("正在接收"));
  EXPECT_EQ(area.BtnPlay->toolTip(), Ui("开始接收所有资源"));
  EXPECT_EQ(form->Lists()->Cell(0, 3), Cp("资源大小"));
  EXPECT_EQ(area.StringGrid1->model()->rowCount(), 1);
  EXPECT_EQ(form->Timer1()->interval(), 100);
  EXPECT_EQ(form->ShowPic()->interval(), 15000);
  EXPECT_EQ(form->DwonLabel()->geometry(), QRect(217, 14, 153, 12));
  EXPECT_EQ(form->DwonLabel()->text(), Ui("完成进度"));
  // With no job, the grid's handlers do nothing.
  form->StringGrid1Click();
  form->StringGrid1DblClick();
  area.BtnPlay->trigger();
  EXPECT_TRUE(area.RzRchEdt_JobInfo->toPlainText().isEmpty());
  QSignalSpy balloons(form.get(), &TFMain::balloonShown);
  form->BtnMinClick();
  form->BtnMinClick();
  ASSERT_EQ(balloons.size(), 2);
  EXPECT_EQ(balloons[1][0].toString(), Ui("提示"));
  EXPECT_EQ(balloons[1][2].toInt(), 10000);
}

// The browser engine comes with the showcase's first page, never with the
// window's start: Qt WebEngine's libraries and the OpenGL context it shares
// would hold back the first frame by more than the rest of the start together.
TEST_F(TFMainTest, TheStartUpToTheShowcaseLoadMapsNoBrowserEngine) {
  ShowAndConfirmWarning();
  std::ifstream maps("/proc/self/maps");
  ASSERT_TRUE(maps.is_open());
  std::string line;
  while (std::getline(maps, line)) EXPECT_EQ(line.find("libQt6WebEngine"), std::string::npos) << line;
}

}  // namespace
}  // namespace bailan

// The Win32 main window's receive area under Wine: the grid as drawn, the
// gauges, the progress tick, the stop waits and the close query, the record
// pages' commands through their menus, against the loopback test server.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <tuple>
#include <vector>

#include "WindowTestSupport.h"
#include "engine/DownloadJob.h"
#include "platform/Cp936.h"
#include "platform/FileSystem.h"
#include "receive/ReceiveLists.h"
#include "receive/RecordRows.h"
#include "support/EngineRun.h"
#include "support/ReceivedRecords.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "win32/common/MessageBox.h"
#include "win32/common/MessagePump.h"
#include "win32/common/WideText.h"
#include "win32/receive/FMain.h"

namespace bailan {
namespace {

// The pixels that a window draws of itself (WM_PRINTCLIENT into a DIB section),
// also where it lies outside every screen, as the receive area does.
class TPrinted {
 public:
  explicit TPrinted(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    pixels_.assign(pixels, pixels + static_cast<std::size_t>(width_) * height_);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const {
    const DWORD pixel = pixels_[static_cast<std::size_t>(y) * width_ + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  }
  // The columns of `rect` holding a pixel other than `background`: first and
  // one past the last; {0, 0} when there is none.
  std::pair<int, int> InkColumns(RECT rect, COLORREF background) const {
    int first = -1, last = -1;
    for (int x = rect.left; x < rect.right; ++x) {
      for (int y = rect.top; y < rect.bottom; ++y) {
        if (At(x, y) == background) continue;
        if (first < 0) first = x;
        last = x;
      }
    }
    return first < 0 ? std::pair(0, 0) : std::pair(first, last + 1);
  }

 private:
  int width_ = 0, height_ = 0;
  std::vector<DWORD> pixels_;
};

// Icon `index` of `icons` drawn over a 16 x 16 square of `background`.
std::vector<COLORREF> IconOver(HIMAGELIST icons, int index, COLORREF background) {
  std::vector<COLORREF> expected;
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const RECT square{0, 0, 16, 16};
  SetDCBrushColor(dc, background);
  FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  ImageList_Draw(icons, index, dc, 0, 0, ILD_TRANSPARENT);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) expected.push_back(GetPixel(dc, x, y));
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return expected;
}

std::vector<COLORREF> Square(const TPrinted& printed, int left, int top) {
  std::vector<COLORREF> square;
  for (int y = top; y < top + 16; ++y) {
    for (int x = left; x < left + 16; ++x) square.push_back(printed.At(x, y));
  }
  return square;
}

int TextWidth(HFONT font, const std::string& cp936) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  const std::wstring text = Wide(cp936);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  DeleteDC(dc);
  return size.cx;
}

bool Shows(HWND window) {
  return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void ClickRow(const TStringGrid& grid, int row, UINT message = WM_LBUTTONDOWN) {
  const TCellRect cell = grid.CellRect(1, row);
  const LPARAM at = MAKELPARAM(cell.Left + 2, cell.Top + 2);
  SendMessageW(grid.Handle(), message, MK_LBUTTON, at);
  SendMessageW(grid.Handle(), WM_LBUTTONUP, 0, at);
}

class TFMainTest : public ::testing::Test {
 protected:
  test::TTempDir dir;
  test::TBoxes boxes;
  std::vector<std::string> opened;
  std::unique_ptr<TFMain> form;

  void SetUp() override {
    form = std::make_unique<TFMain>();
    form->StartShowcaseLoad = [] {};
    form->QuitRequest = [] {};
    form->RecordPages().ShellOpen = [this](HWND, const std::string& path) { opened.push_back(path); };
    SetWindowTextCp(form->InstallPath(), Utf8ToCp936(dir / "inst"));
  }
  void TearDown() override { form.reset(); }
  std::shared_ptr<TDownloadJob> AddIdleJob(const std::string& url) {
    TResourceRec record;
    record.URL = url;
    record.Name = "HIL";
    record.SegCount = 3;
    record.SavePath = Utf8ToCp936(dir / "jobs");
    auto job = form->Lists()->AddPendingJob(record, false);
    form->RefreshGrid();
    return job;
  }
  void Command(int id) { SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  bool AskedLast(const char* text) const {
    return !boxes.Shown.empty() && boxes.Shown.back().Text == Utf8ToCp936(text);
  }
};

// A job kept running by a slow server until it is asked to stop.
struct TRunningJob {
  test::TTestServer Server;
  std::shared_ptr<TDownloadJob> Job;
  explicit TRunningJob(const std::function<std::shared_ptr<TDownloadJob>(const std::string&)>& add) {
    Server.SetFileOptions(test::Throttled(1024, 50));
    Server.AddFile("/slow.zip", test::PatternBytes(1 << 20));
    Job = add(Server.Url("/slow.zip"));
    Job->StartDownload();
    PumpUntil([this] { return Job->Running == 1; }, 20000);
  }
  ~TRunningJob() {
    Job->RequestStop();
    Job->WaitUntilIdle(20000);
  }
};

TEST_F(TFMainTest, ReceiveAreaLiesBeyondTheWindowAndTakesNoInput) {
  const TReceiveArea& area = form->Area();
  RECT panel = ChildBounds(area.Panel2->Handle());
  EXPECT_EQ(panel.left, 640);  // beyond the 624 pixels of the window
  EXPECT_EQ(panel.top, 25);
  EXPECT_EQ(Width(panel), 977);
  EXPECT_EQ(Height(panel), 400);
  EXPECT_EQ(area.ActivePage(), TReceiveArea::kPageReceived);
  for (int page = 0; page < 3; ++page)
    EXPECT_EQ(Shows(area.Sheet(page)), page == TReceiveArea::kPageReceived);
  EXPECT_EQ(area.StringGrid1->RowCount(), 2);  // the header and one empty row
  EXPECT_FALSE(form->Timer1Enabled());
  EXPECT_FALSE(IsWindowVisible(form->FResReceive().Handle()));  // created hidden, never shown

  // With no job, the grid's commands do nothing.
  form->StringGrid1Click();
  form->StringGrid1DblClick();
  Command(idBtnPlay);
  Command(idN1);
  Command(idN2);
  EXPECT_EQ(WindowText(area.RzRchEdt_JobInfo), "");
  EXPECT_TRUE(boxes.Shown.empty());

  // Neither a click nor the keyboard reaches a control of the area.
  ShowWindow(form->Handle(), SW_SHOW);
  SetForegroundWindow(form->Handle());
  SetFocus(form->InstallPath());
  const HWND focused = GetFocus();
  std::vector<HWND> controls;
  EnumChildWindows(
      area.Panel2->Handle(),
      [](HWND child, LPARAM found) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&controls));
  EXPECT_GE(controls.size(), 10u);
  for (HWND control : controls) {
    EXPECT_EQ(GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP, 0);
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    SetFocus(control);
    EXPECT_EQ(GetFocus(), focused);
  }
}

TEST_F(TFMainTest, GridDrawsHeadersTextsAndStatusIcons) {
  const TStringGrid& grid = *form->Area().StringGrid1;
  form->SelectPage(TReceiveArea::kPageDownload);
  const HIMAGELIST icons = form->Area().ImageList2.Get();
  {
    // No job: the one data row draws no icon.
    const TPrinted printed(grid.Handle());
    const COLORREF background = printed.At(1, 22);
    EXPECT_EQ(Square(printed, 7, 23), std::vector<COLORREF>(256, background));
  }
  auto job = AddIdleJob("http://127.0.0.1:1/a.zip");
  form->Lists()->SetCell(1, kColumnSize, "1.50 MB");
  for (int running : {0, 1}) {
    job->Running = running;  // as a transfer thread sets it
    const TPrinted printed(grid.Handle());
    const COLORREF background = printed.At(1, 22);  // the row's own colour (row 1 is selected)
    EXPECT_EQ(Square(printed, (30 - 16) / 2, 21 + (20 - 16) / 2), IconOver(icons, running, background))
        << running;
  }
  job->Running = 0;
  // Where each text's ink lies: the header centred, the size right-aligned, the
  // others left-aligned, each 4 pixels in.
  // A glyph's ink may stand a pixel beyond its advance box (its bearings).
  constexpr int kBearing = 1;
  struct {
    int Column, Row;
    std::string Text;
    int Left;  // of the text's advance box
  } texts[] = {
      {2, 0, Cp("资源名称"), 152 + (180 - TextWidth(grid.Font(), Cp("资源名称"))) / 2},
      {7, 0, Cp("用时"), 677 + (80 - TextWidth(grid.Font(), Cp("用时"))) / 2},
      {2, 1, "HIL", 152 + 4},
      {3, 1, "1.50 MB", 333 + 80 - 4 - TextWidth(grid.Font(), "1.50 MB")},
  };
  const TPrinted printed(grid.Handle());
  for (const auto& t : texts) {
    const TCellRect cell = grid.CellRect(t.Column, t.Row);
    const RECT area{cell.Left, cell.Top, cell.Right, cell.Bottom};
    const auto [first, last] = printed.InkColumns(area, printed.At(cell.Left, cell.Top));
    EXPECT_LT(first, last) << t.Column << "," << t.Row;
    EXPECT_GE(first, t.Left - kBearing) << t.Column << "," << t.Row;
    EXPECT_LE(last, t.Left + TextWidth(grid.Font(), t.Text) + kBearing) << t.Column << "," << t.Row;
  }
}

TEST_F(TFMainTest, Timer1ShowsTheSummedFiguresAndClearsIdleCells) {
  struct {
    std::int32_t Total[2], Received[2];
    const char* Label;
  } cases[] = {
      {{0, 0}, {0, 0}, "已完成  0%"},                              // no size known yet
      {{100, 300}, {50, 300}, "已完成  88%"},                      // 87.5 goes to the even 88
      {{1000, 1000}, {1000, 500}, "已完成  75%"},                  // one of two done, the other half
      {{2147483647, 2147483647}, {2147483647, 0}, "已完成  50%"},  // sums beyond 32 bits
  };
  auto first = AddIdleJob("http://127.0.0.1:1/a.zip");
  auto second = AddIdleJob("http://127.0.0.1:1/b.zip");
  for (const auto& c : cases) {
    first->TotalSize = c.Total[0];
    second->TotalSize = c.Total[1];
    first->ReceivedSize = c.Received[0];
    second->ReceivedSize = c.Received[1];
    for (int column : {kColumnSize, kColumnSpeed, kColumnRemaining, kColumnElapsed})
      form->Lists()->SetCell(first->Row, column, "old");
    SendMessageW(form->Handle(), WM_TIMER, TFMain::kTimer1, 0);
    EXPECT_EQ(form->DwonLabel().Text(), Utf8ToCp936(c.Label));
    EXPECT_EQ(form->ProgressBar().TotalParts(), std::int64_t{c.Total[0]} + c.Total[1]);
    EXPECT_EQ(form->ProgressBar().PartsComplete(), std::int64_t{c.Received[0]} + c.Received[1]);
    EXPECT_EQ(form->Lists()->Cell(first->Row, kColumnSize), "old");  // an idle job's size stays
    for (int column : {kColumnSpeed, kColumnRemaining, kColumnElapsed})
      EXPECT_EQ(form->Lists()->Cell(first->Row, column), "");
  }
  EXPECT_FALSE(Shows(form->page3()));  // jobs are left: no completion
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST_F(TFMainTest, CompletionWithoutTheProductFolderStaysOnPage3WithTheReport) {
  SendMessageW(form->Handle(), WM_TIMER, TFMain::kTimer1, 0);  // no job at all: the first tick completes
  EXPECT_TRUE(Shows(form->page3()));
  EXPECT_FALSE(form->Timer1Enabled());
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Caption, Cp("柏岚软件"));
  EXPECT_EQ(boxes.Shown[0].Icon, TMessageIcon::Error);
  EXPECT_NE(boxes.Shown[0].Text.find("GO.bat"), std::string::npos) << boxes.Shown[0].Text;
  EXPECT_TRUE(IsWindow(form->Handle()));
}

TEST_F(TFMainTest, GaugesOfThirtyJobsFollowTheScrolledRows) {
  for (int i = 0; i < 30; ++i) AddIdleJob("http://127.0.0.1:1/" + std::to_string(i) + ".zip");
  const TStringGrid& grid = *form->Area().StringGrid1;
  // The header, ten whole rows and part of an eleventh.
  SetWindowPos(grid.Handle(), nullptr, 0, 0, 800, 21 * 11 + 10, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_EQ(grid.VisibleRowCount(), 10);
  for (int step = 0; step < 4; ++step) SendMessageW(grid.Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  ASSERT_EQ(grid.TopRow(), 5);
  const auto jobs = form->Lists()->JobList();
  auto gauge = [&](int i) -> const TGaugeWindow& { return *form->Gauges().at(jobs[i].get()); };
  std::vector<RECT> placed(30);
  for (int i = 0; i < 30; ++i) {
    const bool inView = i >= 4 && i <= 14;  // rows 5 to 15
    EXPECT_EQ(Shows(gauge(i).Handle()), inView) << i;
    EXPECT_EQ(jobs[i]->Gauge.Visible, inView) << i;
    placed[i] = ChildBounds(gauge(i).Handle());
  }
  const int left = 30 + 1 + 120 + 1 + 180 + 1 + 80 + 1 + 2;
  EXPECT_EQ(placed[4].left, left);
  EXPECT_EQ(placed[4].top, 21 + 4);
  EXPECT_EQ(Width(placed[4]), 100 - 4);
  EXPECT_EQ(Height(placed[4]), 20 - 8);
  EXPECT_EQ(placed[5].top - placed[4].top, 21);
  EXPECT_EQ(jobs[4]->Gauge.Left, left);
  SendMessageW(grid.Handle(), WM_VSCROLL, SB_LINEDOWN, 0);  // every gauge in view moves up a row
  EXPECT_FALSE(Shows(gauge(4).Handle()));
  for (int i = 5; i <= 15; ++i) {
    EXPECT_TRUE(Shows(gauge(i).Handle())) << i;
    EXPECT_EQ(ChildBounds(gauge(i).Handle()).top, placed[i - 1].top) << i;
  }
}

TEST_F(TFMainTest, CloseQueryAsksOnlyWhileAJobRunsAndWaitsForIt) {
  struct {
    const char* What;
    bool Running;
    int Answer;
    bool Closes;
  } cases[] = {
      {"idle jobs only: no question", false, mbNo, true},
      {"running, answered No: stays", true, mbNo, false},
      {"running, answered Yes: stopped and closed", true, mbYes, true},
  };
  for (const auto& c : cases) {
    TearDown();
    boxes.Shown.clear();
    SetUp();
    AddIdleJob("http://127.0.0.1:1/idle.zip");
    std::unique_ptr<TRunningJob> running;
    if (c.Running)
      running = std::make_unique<TRunningJob>([this](const std::string& url) { return AddIdleJob(url); });
    boxes.Answer = c.Answer;
    const HWND window = form->Handle();
    form->Close();
    EXPECT_EQ(!IsWindow(window), c.Closes) << c.What;
    ASSERT_EQ(boxes.Shown.size(), c.Running ? 1u : 0u) << c.What;
    if (c.Running) {
      EXPECT_EQ(boxes.Shown[0].Text, Cp("软件正在安装,是否退出安装？"));
      EXPECT_EQ(boxes.Shown[0].Caption, Cp("确认信息"));
      EXPECT_EQ(boxes.Shown[0].Icon, TMessageIcon::Question);
      EXPECT_EQ(boxes.Shown[0].DefaultButton, mbNo);
      EXPECT_EQ(running->Job->Running, c.Closes ? 0 : 1) << c.What;  // stopped within the wait
    }
    if (c.Closes) {
      EXPECT_EQ(form->Lists()->JobCount(), 0) << c.What;
    }
  }
}

TEST_F(TFMainTest, PauseStopsEveryJobOnlyWhenConfirmed) {
  TRunningJob running([this](const std::string& url) { return AddIdleJob(url); });
  ASSERT_EQ(running.Job->Running, 1);
  boxes.Answer = mbNo;
  Command(idBtnPause);
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Text, Cp("是否暂停所有接收任务？"));
  EXPECT_EQ(boxes.Shown[0].Buttons, mbYes | mbNo);
  EXPECT_EQ(boxes.Shown[0].DefaultButton, mbNo);
  EXPECT_EQ(boxes.Shown[0].Owner, form->Handle());
  EXPECT_EQ(running.Job->Running, 1);
  boxes.Answer = mbYes;
  Command(idBtnPause);
  EXPECT_EQ(running.Job->Running, 0);
  form->Close();  // with no running job it closes without a question
  EXPECT_EQ(boxes.Shown.size(), 2u);
}

TEST_F(TFMainTest, DoubleClickStopsAndStartsTheSelectedJobAndAClickShowsItsLog) {
  TRunningJob running([this](const std::string& url) { return AddIdleJob(url); });
  const TStringGrid& grid = *form->Area().StringGrid1;
  ClickRow(grid, 1, WM_LBUTTONDBLCLK);  // running: asked to stop and waited for
  EXPECT_EQ(running.Job->Running, 0);
  running.Job->Log.Add("first");
  ClickRow(grid, 1);
  running.Job->Log.Add("later");
  const std::string shown = WindowText(form->Area().RzRchEdt_JobInfo);
  EXPECT_NE(shown.find("first"), std::string::npos);
  EXPECT_EQ(shown.find("later"), std::string::npos);  // the log as it was at the click
  ClickRow(grid, 1, WM_LBUTTONDBLCLK);                // idle: started anew
  EXPECT_TRUE(PumpUntil([&] { return running.Job->Running == 1; }, 20000));
}

class TRecordPagesTest : public TFMainTest {
 protected:
  test::TTestServer server;
  void Receive(int count) {
    // The odd records' folders end with a backslash already.
    test::AddReceivedRecords(*form->Lists(), count, server.Url("/r.zip"),
                             [this](int i) { return Utf8ToCp936(dir.Path()) + (i % 2 == 1 ? "\\" : ""); });
  }
  TStringGrid& Grid2() { return *form->RecordPages().StringGrid2; }
  TStringGrid& Grid3() { return *form->RecordPages().StringGrid3; }
  // Runs a command answered No (nothing may change), then Yes.
  void Confirmed(int id, const char* question) {
    const auto counts = [this] {
      return std::tuple(form->Lists()->ReceivedCount(), form->Lists()->RecycleCount(),
                        form->Lists()->JobCount());
    };
    const auto before = counts();
    boxes.Answer = mbNo;
    Command(id);
    EXPECT_EQ(counts(), before) << question;
    boxes.Answer = mbYes;
    Command(id);
    ASSERT_TRUE(AskedLast(question)) << question;
    EXPECT_EQ(boxes.Shown.back().Caption, Cp("确认信息"));
    EXPECT_EQ(boxes.Shown.back().Icon, TMessageIcon::Question);
    EXPECT_EQ(boxes.Shown.back().DefaultButton, mbYes);
    EXPECT_EQ(boxes.Shown.back().Owner, form->Handle());
  }
};

TEST_F(TRecordPagesTest, EmptyListsAskNothingAndDoNothing) {
  form->SelectPage(TReceiveArea::kPageRecycle);
  form->SelectPage(TReceiveArea::kPageReceived);
  for (int id : {idpmiOpen, idpmiOpenDir, idpmiReReceive, idpmiDelete, idN5}) Command(id);
  EXPECT_TRUE(boxes.Shown.empty());
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(form->Lists()->JobCount(), 0);
  EXPECT_EQ(Grid2().RowCount(), 2);
}

TEST_F(TRecordPagesTest, RecordsMoveThroughTheMenus) {
  Receive(3);
  EXPECT_EQ(Grid2().RowCount(), 2);  // "已接收" is active from the start: filled on the next change
  form->SelectPage(TReceiveArea::kPageDownload);
  form->SelectPage(TReceiveArea::kPageReceived);
  ASSERT_EQ(Grid2().RowCount(), 4);
  form->SelectPage(TReceiveArea::kPageDownload);
  form->SelectPage(TReceiveArea::kPageReceived);  // coming back without a change adds no row
  EXPECT_EQ(Grid2().RowCount(), 4);
  EXPECT_EQ(form->Lists()->PageCell(TRecordPage::Received, 3, kRecordColumnSize), "1.50 MB");

  ClickRow(Grid2(), 2);
  Confirmed(idpmiDelete, "是否确定删除此资源？");
  EXPECT_EQ(form->Lists()->RecycleCount(), 1);
  EXPECT_EQ(Grid2().RowCount(), 3);
  EXPECT_EQ(form->Lists()->PageCell(TRecordPage::Received, 2, kRecordColumnName), "r2");
  EXPECT_EQ(Grid3().RowCount(), 2);  // shown on the next change to "回收站"
  form->SelectPage(TReceiveArea::kPageRecycle);
  EXPECT_EQ(form->Lists()->PageCell(TRecordPage::Recycled, 1, kRecordColumnName), "r1");

  const TDateTime received = form->Lists()->RecycleList()[0].ReceiveTime;
  ClickRow(Grid3(), 1);
  Confirmed(idN5, "是否确定还原此资源？");
  ASSERT_EQ(form->Lists()->ReceivedCount(), 3);
  EXPECT_EQ(form->Lists()->ReceivedList()[2].Name.Get(), "r1");  // at the end, its receive time kept
  EXPECT_EQ(form->Lists()->ReceivedList()[2].ReceiveTime, received);
  EXPECT_EQ(Grid3().RowCount(), 2);

  form->SelectPage(TReceiveArea::kPageReceived);
  ClickRow(Grid2(), 1);
  Confirmed(idpmiReReceive, "是否确定重新接收此资源？");
  ASSERT_EQ(form->Lists()->JobCount(), 1);
  EXPECT_EQ(form->Lists()->JobList()[0]->SegCount, 1);
  EXPECT_EQ(form->Area().StringGrid1->RowCount(), 2);
  EXPECT_EQ(form->Gauges().size(), 1u);
  EXPECT_EQ(form->Lists()->ReceivedCount(), 2);
}

TEST_F(TRecordPagesTest, OpenReportsARemovedFileAndOpensAPresentOne) {
  Receive(2);
  form->SelectPage(TReceiveArea::kPageDownload);
  form->SelectPage(TReceiveArea::kPageReceived);
  const std::string folder = Utf8ToCp936(dir.Path()) + "\\";
  struct {
    int Row;
    bool Present;
  } cases[] = {{1, false}, {2, false}, {1, true}, {2, true}};  // row 2's folder ends with "\"
  for (const auto& c : cases) {
    const std::string file = folder + "r" + std::to_string(c.Row - 1) + ".zip";
    if (c.Present) test::WriteFileBytes(Cp936ToUtf8(file), "zip");
    boxes.Shown.clear();
    opened.clear();
    ClickRow(Grid2(), c.Row);
    SendMessageW(Grid2().Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 21 * c.Row + 5));  // = "打开"
    Command(idpmiOpen);
    if (c.Present) {
      EXPECT_EQ(opened, (std::vector<std::string>{file, file})) << c.Row;
      EXPECT_TRUE(boxes.Shown.empty());
    } else {
      EXPECT_TRUE(opened.empty()) << c.Row;
      ASSERT_EQ(boxes.Shown.size(), 2u) << c.Row;
      EXPECT_EQ(boxes.Shown[0].Text, Cp("资源文件已经被移除！"));
      EXPECT_EQ(boxes.Shown[0].Caption, Cp("警告信息"));
      EXPECT_EQ(boxes.Shown[0].Icon, TMessageIcon::Warning);
    }
  }
  opened.clear();
  ClickRow(Grid2(), 2);
  Command(idpmiOpenDir);  // the folder as recorded, whether it exists or not
  EXPECT_EQ(opened, std::vector<std::string>{folder});
}

TEST_F(TFMainTest, MinimisedItShowsOnlyAsTheTrayIconUntilADoubleClickOnIt) {
  std::vector<std::tuple<std::string, std::string, unsigned>> balloons;
  form->BalloonShown = [&](const std::string& title, const std::string& text, unsigned timeout) {
    balloons.emplace_back(title, text, timeout);
  };
  ASSERT_TRUE(form->RzTrayIcon1().Present());
  ShowWindow(form->Handle(), SW_SHOW);
  form->BtnMinClick();
  form->BtnMinClick();
  ASSERT_EQ(balloons.size(), 2u);  // every click asks for it again
  EXPECT_EQ(std::get<0>(balloons[1]), Cp("提示"));
  EXPECT_EQ(std::get<2>(balloons[1]), 10000u);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(form->Handle()); }, 10000));
  SendMessageW(form->Handle(), TFMain::kTrayIconMessage, TTrayIcon::kIconId, WM_LBUTTONDOWN);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));  // a single click does nothing
  SendMessageW(form->Handle(), TFMain::kTrayIconMessage, TTrayIcon::kIconId, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(IsIconic(form->Handle()));
}

}  // namespace
}  // namespace bailan

// The Win32 installer window under Wine: geometry, pixels, texts, the page
// commands, the install click against a loopback server, the guarded close,
// dragging, the hover flash, minimising and the showcase's fallback.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "platform/Cp936.h"
#include "platform/IniFile.h"
#include "receive/GlobalTexts.h"
#include "receive/ManifestFetch.h"
#include "support/Environment.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "transport/http/AntiFreeze.h"
#include "win32/common/MessagePump.h"
#include "win32/common/WideText.h"
#include "win32/installer/MainForm.h"

namespace bailan {
namespace {

using test::BoundsIn;
using test::Settle;
using test::TBoxes;
using test::TCapture;

// An installer window that starts no showcase load, ends no program, and
// records what it hands to the receive window.
class TTestForm : public TMainForm {
 public:
  std::vector<std::string> Calls;
  int Quits = 0;
  int Drags = 0;
  int CloseQueries = 0;
  bool AllowClose = true;
  struct TBalloon {
    std::string Title, Text;
    unsigned TimeoutMs;
  };
  std::vector<TBalloon> Balloons;

  TTestForm() {
    StartShowcaseLoad = [this] { Calls.push_back("showcase"); };
    QuitRequest = [this] { ++Quits; };
  }

 protected:
  void AddToDownLoadList() override { Calls.push_back("AddToDownLoadList"); }
  void ClickBtnPlay() override { Calls.push_back("BtnPlay"); }
  void EnableProgressTimer() override { Calls.push_back("Timer1"); }
  void StartSystemMove() override { ++Drags; }
  bool CloseQuery() override {
    ++CloseQueries;
    return AllowClose;
  }
  void ShowTrayBalloon(const std::string& title, const std::string& text, unsigned timeoutMs) override {
    Balloons.push_back({title, text, timeoutMs});
  }
};

bool Shown(HWND window) {
  return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

int StepSlot(const TMainForm& form) {
  return form.SteupImage().Source().left / 207;
}

// A manifest loaded as a fetch would leave it, or none.
class TManifestScope {
 public:
  explicit TManifestScope(bool loaded) {
    if (!loaded) return;
    test::WriteFileBytes(dir_ / "update.ini", "[bailan]\r\n");
    SetManifestIni(std::make_unique<TIniFile>(dir_ / "update.ini"));
  }
  ~TManifestScope() { SetManifestIni(nullptr); }

 private:
  test::TTempDir dir_;
};

// TEMP pointed at a folder of the test's for as long as it lives.
class TTempScope {
 public:
  explicit TTempScope(const std::string& folder) { test::SetEnvironment("TEMP", folder.c_str()); }
  ~TTempScope() { test::SetEnvironment("TEMP", saved_.empty() ? nullptr : saved_.c_str()); }

 private:
  std::string saved_ = [] {
    const char* value = std::getenv("TEMP");
    return std::string(value != nullptr ? value : "");
  }();
};

TEST(Win32MainForm, WindowGeometryAndStyle) {
  TTestForm form;
  const HWND window = form.Handle();
  RECT bounds{};
  GetWindowRect(window, &bounds);
  EXPECT_EQ(Width(bounds), 624);
  EXPECT_EQ(Height(bounds), 360);
  // Centred on the work area.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR(bounds.left - work.left, work.right - bounds.right, 1);
  EXPECT_NEAR(bounds.top - work.top, work.bottom - bounds.bottom, 1);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER));
  // Any resize leaves it at 624 x 360.
  SetWindowPos(window, nullptr, 0, 0, 800, 500, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(window, &bounds);
  EXPECT_EQ(Width(bounds), 624);
  EXPECT_EQ(Height(bounds), 360);
  MINMAXINFO limits{};
  SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 624);
  EXPECT_EQ(limits.ptMaxTrackSize.y, 360);

  struct TCase {
    const char* Name;
    HWND Control;
    RECT Expected;  // in the window's client coordinates
  };
  const TCase cases[] = {
      {"MainPanel", form.MainPanel(), Bounds(1, 1, 622, 358)},
      {"TopPanel", form.TopPanel(), Bounds(1, 1, 622, 74)},
      {"MiddlePanel", form.MiddlePanel(), Bounds(1, 75, 622, 358 - 74 - 89)},
      {"Page1Bottom", form.Page1Bottom(), Bounds(1, 1 + 358 - 89, 622, 89)},
      {"Title", form.Title().Handle(), Bounds(1 + 15, 1 + 3, 514, 40)},
      {"Content", form.Content().Handle(), Bounds(1 + 23, 1 + 44, 335, 26)},
      {"SteupImage", form.SteupImage().Handle(), Bounds(1 + 373, 1 + 46, 207, 22)},
      {"BtnMin", form.BtnMin().Handle(), Bounds(1 + 531, 1 + 1, 45, 20)},
      {"BtnClose", form.BtnClose().Handle(), Bounds(1 + 576, 1 + 1, 45, 20)},
      {"Label2", form.Label2().Handle(), Bounds(1 + 15, 270 + 35, 54, 12)},
      {"Image3", form.Image3().Handle(), Bounds(1 + 72, 270 + 31, 321, 23)},
      {"InstallPath", form.InstallPath(), Bounds(1 + 76, 270 + 36, 292, 14)},
      {"BtnSelectPtah", form.BtnSelectPtah().Handle(), Bounds(1 + 392, 270 + 31, 58, 23)},
      {"Label3", form.Label3().Handle(), Bounds(1 + 15, 270 + 71, 108, 12)},
      {"xukexieyi", form.xukexieyi().Handle(), Bounds(1 + 129, 270 + 71, 48, 12)},
      {"BtnSteup", form.BtnSteup().Handle(), Bounds(1 + 467, 270 + 6, 80, 80)},
      {"DefaultImg", form.DefaultImg().Handle(), Bounds(1, 75, 622, 358 - 74 - 89)},
  };
  for (const TCase& c : cases) {
    const RECT actual = BoundsIn(c.Control, window);
    EXPECT_TRUE(EqualRect(&actual, &c.Expected)) << c.Name << ": " << actual.left << "," << actual.top << " "
                                                 << Width(actual) << "x" << Height(actual);
  }
  for (HWND pageButton : {form.Setup1UI(), form.Setup2UI(), form.Setup3UI()}) EXPECT_FALSE(Shown(pageButton));
  EXPECT_EQ(WindowText(form.Setup2UI()), Cp("安装"));
  EXPECT_FALSE(GetWindowLongW(form.InstallPath(), GWL_STYLE) & (WS_TABSTOP | WS_BORDER));
}

TEST(Win32MainForm, ColourKeyAndFramePixels) {
  TBoxes boxes;
  TTestForm form;
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(form.Handle(), &key, &alpha, &flags));
  EXPECT_EQ(key, RGB(128, 0, 0));
  EXPECT_TRUE(flags & LWA_COLORKEY);
  EXPECT_TRUE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
  form.Show();
  Settle();
  const TCapture image(form.Handle());
  ASSERT_EQ(image.Width(), 624);
  struct TCase {
    int X, Y;
    COLORREF Expected;
    const char* What;
  };
  const TCase cases[] = {
      {0, 0, RGB(128, 0, 0), "top-left corner: see-through"},
      {623, 0, RGB(128, 0, 0), "top-right corner"},
      {0, 359, RGB(128, 0, 0), "bottom-left corner"},
      {623, 359, RGB(128, 0, 0), "bottom-right corner"},
      {1, 0, RGB(18, 102, 152), "frame, top edge"},
      {311, 0, RGB(18, 102, 152), "frame, top edge middle"},
      {0, 180, RGB(18, 102, 152), "frame, left edge"},
      {623, 180, RGB(18, 102, 152), "frame, right edge"},
      {311, 359, RGB(18, 102, 152), "frame, bottom edge"},
      {300, 30, RGB(255, 255, 255), "TopPanel"},
      {5, 290, RGB(130, 210, 249), "Page1Bottom"},
      {300, 313, RGB(255, 255, 255), "the path edit"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(image.At(c.X, c.Y), c.Expected)
        << c.What << " at " << c.X << "," << c.Y << ": " << std::hex << image.At(c.X, c.Y);
  }
  // The pictures are drawn: the banner, the install button and the close cross.
  EXPECT_GT(image.CountOtherThan(Bounds(1, 75, 622, 195), RGB(255, 255, 255)), 10000);
  EXPECT_GT(image.CountOtherThan(Bounds(468, 276, 80, 80), RGB(130, 210, 249)), 2000);
  EXPECT_GT(image.CountOtherThan(Bounds(577, 2, 45, 20), RGB(255, 255, 255)), 300);
}

// The glyphs of each font's texts exist in the face the system chose: no
// boxes for missing characters.
TEST(Win32MainForm, TextsAndTheirFontsHaveCjkGlyphs) {
  TBoxes boxes;
  TTestForm form;
  form.Show();
  Settle();
  EXPECT_EQ(form.Title().Text(), TitleText());
  EXPECT_EQ(form.Content().Text(), Cp("正在安装 - ") + ProductName());
  EXPECT_EQ(form.Label2().Text(), Cp("安装目录:"));
  EXPECT_EQ(form.Label3().Text(), Cp("安装即代表您已接受"));
  EXPECT_EQ(form.xukexieyi().Text(), Cp("许可协议"));
  EXPECT_FALSE(form.InstallPathText().empty());
  struct TCase {
    const char* What;
    const TLabel& Label;
  };
  const TCase cases[] = {{"Title (黑体 28)", form.Title()},
                         {"Content (宋体 17)", form.Content()},
                         {"Label2 (宋体 12)", form.Label2()}};
  for (const TCase& c : cases) {
    TWindowDc dc(c.Label.Handle());
    TSelection font(dc.Get(), c.Label.Look().Font);
    const std::wstring text = Wide(c.Label.Text());
    std::vector<WORD> glyphs(text.size());
    ASSERT_NE(GetGlyphIndicesW(dc.Get(), text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                               GGI_MARK_NONEXISTING_GLYPHS),
              GDI_ERROR);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc.Get(), LF_FACESIZE, face);
    for (std::size_t i = 0; i < text.size(); ++i) {
      EXPECT_NE(glyphs[i], 0xFFFF) << c.What << ": character " << i << " missing in " << Narrow(face);
    }
  }
  // And they are drawn: the title's ink covers part of its label.
  const TCapture image(form.Handle());
  const int ink = image.CountOtherThan(Bounds(16, 4, 200, 40), RGB(255, 255, 255));
  EXPECT_GT(ink, 300);
}

TEST(Win32MainForm, ShowStepsShowTheWarningBoxBeforeTheShowcaseLoad) {
  TBoxes boxes;
  TTestForm form;
  form.Show();
  Settle();
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Text, WarningText());
  EXPECT_EQ(boxes.Shown[0].Caption, Cp("必读提示"));
  EXPECT_EQ(boxes.Shown[0].Icon, TMessageIcon::Warning);
  EXPECT_EQ(boxes.Shown[0].Buttons, mbOK);
  EXPECT_EQ(boxes.Shown[0].Owner, form.Handle());
  EXPECT_EQ(form.Calls, std::vector<std::string>{"showcase"});
  EXPECT_FALSE(Shown(form.ProgressBar().Handle()));
  // A second show (back from the tray) is no new start.
  form.Show();
  Settle();
  EXPECT_EQ(boxes.Shown.size(), 1u);
}

TEST(Win32MainForm, PageCommands) {
  struct TCase {
    const char* Name;
    bool Manifest;
    std::vector<int> Pages;  // page commands in turn
    int Slot;
    bool Page1, Page2, Page3, Middle, Bar, Banner;
    std::vector<std::string> Boxes;  // captions
    int Quits;
  };
  const TCase cases[] = {
      {"page 2", true, {2}, 1, false, true, false, true, true, true, {}, 0},
      {"page 2 without manifest", false, {2}, 1, false, true, false, true, true, true, {Cp("错误")}, 1},
      {"page 3", true, {2, 3}, 0, false, false, true, false, false, false, {}, 0},
      {"back to page 1", true, {2, 1}, 2, true, false, false, true, false, true, {}, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TManifestScope manifest(c.Manifest);
    TTestForm form;
    TBoxes boxes;
    for (int page : c.Pages)
      ClickButton(page == 1 ? form.Setup1UI() : page == 2 ? form.Setup2UI() : form.Setup3UI());
    EXPECT_EQ(StepSlot(form), c.Slot);
    EXPECT_EQ(Shown(form.Page1Bottom()), c.Page1);
    EXPECT_EQ(Shown(form.Page2Bottom()), c.Page2);
    EXPECT_EQ(Shown(form.page3()), c.Page3);
    EXPECT_EQ(Shown(form.MiddlePanel()), c.Middle);
    EXPECT_EQ(Shown(form.ProgressBar().Handle()), c.Bar);
    EXPECT_EQ(Shown(form.DefaultImg().Handle()), c.Banner);
    std::vector<std::string> captions;
    for (const TMessageRequest& box : boxes.Shown) captions.push_back(box.Caption);
    EXPECT_EQ(captions, c.Boxes);
    EXPECT_EQ(form.Quits, c.Quits);
  }
}

TEST(Win32MainForm, PageLayoutsLeaveTheRightSpaces) {
  TManifestScope manifest(true);
  TTestForm form;
  TBoxes boxes;
  ClickButton(form.Setup2UI());
  RECT middle = BoundsIn(form.MiddlePanel(), form.MainPanel());
  EXPECT_EQ(Height(middle), 358 - 74 - 74);
  RECT bar = BoundsIn(form.ProgressBar().Handle(), form.MiddlePanel());
  EXPECT_EQ(Height(bar), 19);
  EXPECT_EQ(bar.bottom, Height(middle));
  EXPECT_EQ(Width(bar), 622);
  RECT banner = BoundsIn(form.DefaultImg().Handle(), form.MiddlePanel());
  EXPECT_EQ(banner.bottom, bar.top);
  ClickButton(form.Setup3UI());
  RECT page3 = BoundsIn(form.page3(), form.MainPanel());
  EXPECT_EQ(page3.top, 74);
  EXPECT_EQ(page3.bottom, 358);
}

TEST(Win32MainForm, ErrorBoxOfAFailedFetchHasItsTextAndIcon) {
  TTestForm form;
  TBoxes boxes;
  ClickButton(form.Setup2UI());
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Text,
            Cp("安装过程出错，可能是您未连接网络或拒绝连接网络，请将安全软件关闭后重试！"));
  EXPECT_EQ(boxes.Shown[0].Icon, TMessageIcon::Warning);
  EXPECT_EQ(boxes.Shown[0].Buttons, mbOK);
}

// The install click against a real server on loopback: the manifest lands in
// TEMP, the receive window gets its steps in order, page 2 follows either way.
TEST(Win32MainForm, InstallClickAgainstTheServer) {
  struct TCase {
    const char* Name;
    int Status;
    std::vector<std::string> Calls;
    std::size_t Boxes;
    int Quits;
  };
  const TCase cases[] = {
      {"manifest served", 200, {"AddToDownLoadList", "BtnPlay", "Timer1"}, 0, 0},
      {"manifest missing", 404, {"BtnPlay", "Timer1"}, 1, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    test::TTempDir temp;
    TTempScope tempScope(temp.Path());
    TManifestScope noManifest(false);
    test::TTestServer server;
    if (c.Status == 200)
      server.AddFile("/install/Tavro/Live.txt", "[bailan]\r\n[file1]\r\nurl=http://x/a.zip\r\n");
    TTestForm form;
    form.SetAddresses(*RedirectToTestServer(form.Addresses(), server.Url("")));
    TBoxes boxes;
    SendMessageW(form.BtnSteup().Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form.Calls, c.Calls);
    EXPECT_TRUE(Shown(form.Page2Bottom()));
    EXPECT_EQ(boxes.Shown.size(), c.Boxes);
    EXPECT_EQ(form.Quits, c.Quits);
    EXPECT_EQ(ManifestIni() != nullptr, c.Status == 200);
    ASSERT_GE(server.Requests().size(), 1u);
    EXPECT_EQ(server.Request(0).rfind("GET /install/Tavro/Live.txt HTTP/1.1\r\n", 0), 0u);
  }
}

// While the first fetch waits (the window answering through the anti-freeze),
// a second click on the install picture is ignored.
TEST(Win32MainForm, SecondInstallClickDuringTheFetchIsIgnored) {
  test::TTempDir temp;
  TTempScope tempScope(temp.Path());
  TManifestScope noManifest(false);
  test::TTestServer server;
  server.AddScript(test::TConnectionScript().ReadRequest().Pause(1500).Send(
      "HTTP/1.1 200 OK\r\nContent-Length: 10\r\nConnection: close\r\n\r\n[bailan]\r\n"));
  TTestForm form;
  TAntiFreeze antiFreeze([](bool allPending) { ProcessMessages(allPending); });
  form.SetAddresses(*RedirectToTestServer(form.Addresses(), server.Url("")));
  TBoxes boxes;
  PostMessageW(form.BtnSteup().Handle(), BM_CLICK, 0, 0);
  PostMessageW(form.BtnSteup().Handle(), BM_CLICK, 0, 0);
  Settle();
  EXPECT_EQ(form.Calls, (std::vector<std::string>{"AddToDownLoadList", "BtnPlay", "Timer1"}));
  EXPECT_EQ(server.Requests().size(), 1u);
}

// A TEMP folder that does not exist: the manifest file cannot be created, the
// default error report says so, the window stays on page 1.
TEST(Win32MainForm, ManifestFileThatCannotBeCreatedIsReportedOnPageOne) {
  test::TTempDir temp;
  TTempScope tempScope(temp / "missing");
  TManifestScope noManifest(false);
  TTestForm form;
  TBoxes boxes;
  SendMessageW(form.BtnSteup().Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Caption, Cp("柏岚软件"));
  EXPECT_EQ(boxes.Shown[0].Icon, TMessageIcon::Error);
  EXPECT_EQ(boxes.Shown[0].Text.rfind("Cannot create file \"", 0), 0u) << boxes.Shown[0].Text;
  EXPECT_EQ(boxes.Shown[0].Text.back(), '.');
  EXPECT_TRUE(form.Calls.empty());
  EXPECT_TRUE(Shown(form.Page1Bottom()));
  EXPECT_FALSE(Shown(form.Page2Bottom()));
}

TEST(Win32MainForm, CloseIsGuardedOnPageTwoOnly) {
  struct TCase {
    const char* Name;
    std::vector<int> Pages;
    bool ByPicture;  // the close picture, or the platform's close command
    bool Closed;
    std::size_t Boxes;
  };
  const TCase cases[] = {
      {"picture on page 1", {}, true, true, 0},
      {"picture on page 2", {2}, true, false, 1},
      {"picture on page 3", {2, 3}, true, true, 0},
      {"close command on page 2", {2}, false, true, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TManifestScope manifest(true);
    TTestForm form;
    TBoxes boxes;
    for (int page : c.Pages) ClickButton(page == 2 ? form.Setup2UI() : form.Setup3UI());
    if (c.ByPicture) {
      SendMessageW(form.BtnClose().Handle(), BM_CLICK, 0, 0);
    } else {
      SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(form.Handle() == nullptr, c.Closed);
    EXPECT_EQ(form.CloseQueries, c.Closed ? 1 : 0);
    EXPECT_EQ(form.Quits, c.Closed ? 1 : 0);
    ASSERT_EQ(boxes.Shown.size(), c.Boxes);
    if (c.Boxes == 0) continue;
    EXPECT_EQ(boxes.Shown[0].Text, Cp("\n\r软件正在安装,关闭将导致安装失败!"));
    EXPECT_EQ(boxes.Shown[0].Caption, Cp("警告"));
    EXPECT_EQ(boxes.Shown[0].Icon, TMessageIcon::Warning);
    EXPECT_EQ(boxes.Shown[0].Buttons, mbOK);
  }
}

TEST(Win32MainForm, CloseQueryThatRefusesKeepsTheWindow) {
  TTestForm form;
  form.AllowClose = false;
  SendMessageW(form.BtnClose().Handle(), BM_CLICK, 0, 0);
  EXPECT_NE(form.Handle(), nullptr);
  EXPECT_EQ(form.CloseQueries, 1);
  EXPECT_EQ(form.Quits, 0);
}

// A press is routed as the system routes it: to the window under the point.
TEST(Win32MainForm, DragsFromItsSurfacesWithTheLeftButtonOnly) {
  TBoxes boxes;
  TTestForm form;
  form.Show();
  Settle();
  struct TCase {
    const char* Name;
    HWND Over;
    UINT Message;
    WPARAM Buttons;
    int Drags;
  };
  const TCase cases[] = {
      {"TopPanel, left", form.TopPanel(), WM_LBUTTONDOWN, MK_LBUTTON, 1},
      {"TopPanel, right", form.TopPanel(), WM_RBUTTONDOWN, MK_RBUTTON, 0},
      {"TopPanel, right with left held", form.TopPanel(), WM_RBUTTONDOWN, MK_RBUTTON | MK_LBUTTON, 1},
      {"Title", form.Title().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 1},
      {"Content", form.Content().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 1},
      {"SteupImage", form.SteupImage().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 1},
      {"DefaultImg", form.DefaultImg().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 1},
      {"Page1Bottom", form.Page1Bottom(), WM_LBUTTONDOWN, MK_LBUTTON, 1},
      {"Label2", form.Label2().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0},
      {"Label3", form.Label3().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0},
      {"Image3", form.Image3().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    RECT over{};
    GetWindowRect(c.Over, &over);
    // A point of the control that no child of it covers.
    POINT point{over.left + 2, over.top + 2};
    if (c.Over == form.TopPanel()) point = POINT{over.left + 590, over.top + 40};
    if (c.Over == form.Page1Bottom()) point = POINT{over.left + 300, over.top + 80};
    const HWND target = WindowFromPoint(point);
    POINT client = point;
    ScreenToClient(target, &client);
    form.Drags = 0;
    SendMessageW(target, c.Message, c.Buttons, MAKELPARAM(client.x, client.y));
    wchar_t className[64] = {};
    GetClassNameW(target, className, 64);
    EXPECT_EQ(form.Drags, c.Drags) << "pressed on " << Narrow(className);
  }
}

TEST(Win32MainForm, HoverFlashEndsOnTheNormalPicture) {
  TTestForm form;
  struct TCase {
    const char* Name;
    TPictureButton& Button;
    int Slot;
  };
  const TCase cases[] = {{"close", form.BtnClose(), 0}, {"minimise", form.BtnMin(), 2}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const DWORD start = GetTickCount();
    SendMessageW(c.Button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    SendMessageW(c.Button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(4, 3));
    EXPECT_GE(GetTickCount() - start, 2 * 50u - 20u);  // the GUI thread slept for each move
    EXPECT_EQ(c.Button.Source().left, c.Slot * 45);
  }
}

TEST(Win32MainForm, MinimiseShowsTheBalloonEachTime) {
  TBoxes boxes;
  TTestForm form;
  form.Show();
  Settle();
  SendMessageW(form.BtnMin().Handle(), BM_CLICK, 0, 0);
  SendMessageW(form.BtnMin().Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(form.Balloons.size(), 2u);
  EXPECT_EQ(form.Balloons[1].Title, Cp("提示"));
  EXPECT_EQ(form.Balloons[1].Text,
            Cp("安装程序最小化在这里，如需打开请双击，安装完软件会自动打开,请耐心等待。"));
  EXPECT_EQ(form.Balloons[1].TimeoutMs, 10000u);
  EXPECT_FALSE(IsIconic(form.Handle()));  // posted: carried out by the event loop
  Settle();
  EXPECT_TRUE(IsIconic(form.Handle()));
  // Page 3 brings it back.
  TManifestScope manifest(true);
  ClickButton(form.Setup3UI());
  EXPECT_FALSE(IsIconic(form.Handle()));
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
}

TEST(Win32MainForm, FolderBrowserSetsThePath) {
  struct TCase {
    const char* Chosen;
    const char* Path;
  };
  const TCase cases[] = {
      {"", "D:\\typed"},  // cancelled: what was there stays
      {"E:\\Soft\\Bailan", "E:\\Soft\\Bailan"},
      {"E:\\Soft\\", "E:\\Soft"},
      {"D:\\", "D:\\"},  // a drive root keeps its backslash
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Chosen);
    TTestForm form;
    std::string title;
    HWND owner = nullptr;
    form.BrowseForFolder = [&](HWND o, const std::string& t) {
      owner = o;
      title = t;
      return std::string(c.Chosen);
    };
    SetWindowTextCp(form.InstallPath(), "D:\\typed");
    SendMessageW(form.BtnSelectPtah().Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(title, Cp("请选择目录"));
    EXPECT_EQ(owner, form.Handle());
    EXPECT_EQ(form.InstallPathText(), c.Path);
  }
}

TEST(Win32MainForm, LicenceLinkOpensTheLicenceAddress) {
  TTestForm form;
  std::vector<std::string> opened;
  form.OpenUrl = [&](HWND, const std::string& url) { opened.push_back(url); };
  SendMessageW(form.xukexieyi().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  EXPECT_EQ(opened, std::vector<std::string>{LicenseURL()});
}

// Wine here has no browser: the banner stays, the retry ticks stay harmless,
// and a showcase that reports its marker is revealed at the next tick.
TEST(Win32MainForm, ShowcaseFallbackAndReveal) {
  TManifestScope manifest(true);
  TTestForm form;
  TBoxes boxes;
  ClickButton(form.Setup2UI());
  EXPECT_TRUE(form.ShowPicRunning());
  for (int tick = 0; tick < 3; ++tick) SendMessageW(form.Handle(), WM_TIMER, TMainForm::kShowPicTimer, 0);
  EXPECT_TRUE(form.ShowPicRunning());
  EXPECT_TRUE(Shown(form.DefaultImg().Handle()));
  const std::string frameBody = "<!--end-->";
  form.WebBrowser1DocumentComplete(false, &frameBody);  // a frame: not the page
  EXPECT_FALSE(form.ShowcaseReady());
  const std::string body = "<p>x</p><!--end-->";
  form.WebBrowser1DocumentComplete(true, &body);
  EXPECT_TRUE(form.ShowcaseReady());
  SendMessageW(form.Handle(), WM_TIMER, TMainForm::kShowPicTimer, 0);
  EXPECT_FALSE(form.ShowPicRunning());
  EXPECT_FALSE(Shown(form.DefaultImg().Handle()));
  EXPECT_TRUE(boxes.Shown.empty());
}

// The real control (Wine's has no engine to show a page): a showcase without
// its marker keeps the banner, and each retry tick asks the server again.
TEST(Win32MainForm, ShowcaseWithoutItsMarkerKeepsTheBannerAndIsAskedAgain) {
  TManifestScope manifest(true);
  test::TTestServer server;
  server.AddFile("/install/VADav/index.html", "<html><body><p>not yet</p></body></html>");
  TTestForm form;
  TBoxes boxes;
  form.SetAddresses(*RedirectToTestServer(form.Addresses(), server.Url("")));
  if (form.WebBrowser1() == nullptr) GTEST_SKIP() << "no browser control on this system";
  form.NavigateShowcase();
  ClickButton(form.Setup2UI());
  EXPECT_TRUE(server.WaitForRequests(1, 10000));
  SendMessageW(form.Handle(), WM_TIMER, TMainForm::kShowPicTimer, 0);
  const auto arrived = [&] { return server.Requests().size() >= 2; };
  EXPECT_TRUE(PumpUntil(arrived, 10000));
  EXPECT_EQ(server.Request(1).rfind("GET /install/VADav/index.html ", 0), 0u);
  Settle();
  EXPECT_FALSE(form.ShowcaseReady());
  EXPECT_TRUE(form.ShowPicRunning());
  EXPECT_TRUE(Shown(form.DefaultImg().Handle()));
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST(Win32MainForm, ShowcaseReadyBeforePageTwoIsShownAtOnce) {
  TManifestScope manifest(true);
  TTestForm form;
  const std::string body = "<!--end-->";
  form.WebBrowser1DocumentComplete(true, &body);
  ClickButton(form.Setup2UI());
  EXPECT_FALSE(form.ShowPicRunning());
  EXPECT_FALSE(Shown(form.DefaultImg().Handle()));
}

}  // namespace
}  // namespace bailan

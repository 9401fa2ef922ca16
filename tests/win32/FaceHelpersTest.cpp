// The small pieces of the Windows face: text at the edge, the message-box
// flags and texts, the default error report, the test-server addresses, the
// showcase marker and the progress bar's segments.
#include <gtest/gtest.h>

#include <stdexcept>

#include "WindowTestSupport.h"
#include "platform/Cp936.h"
#include "receive/GlobalTexts.h"
#include "win32/common/MessageBox.h"
#include "win32/common/MessagePump.h"
#include "win32/common/WideText.h"
#include "win32/installer/LedProgressBar.h"
#include "win32/installer/ServerAddresses.h"
#include "win32/installer/ShowcaseMarker.h"

namespace bailan {
namespace {

TEST(Win32Text, Cp936RoundTripsThroughUtf16) {
  struct TCase {
    std::string Cp936;
    std::wstring Utf16;
  };
  const TCase cases[] = {
      {Cp("柏岚软件"), L"\u67cf\u5c9a\u8f6f\u4ef6"},
      {Cp("安装完成！"), L"\u5b89\u88c5\u5b8c\u6210\uff01"},
      {"D:\\a b", L"D:\\a b"},
      {"", L""},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Wide(c.Cp936), c.Utf16);
    EXPECT_EQ(Narrow(c.Utf16), c.Cp936);
  }
  // No CP936 character: a question mark, never a dropped or broken byte.
  EXPECT_EQ(Narrow(L"a\U0001F600b"), "a??b");
  // A lead byte at the end is no character; the text before it survives.
  EXPECT_EQ(Wide(std::string("ab\x81", 3)).substr(0, 2), L"ab");
}

TEST(Win32MessageBox, FlagsOfARequest) {
  struct TCase {
    TMessageIcon Icon;
    int Buttons, Default;
    UINT Expected;
  };
  const TCase cases[] = {
      {TMessageIcon::Warning, mbOK, mbOK, MB_ICONWARNING | MB_OK | MB_DEFBUTTON1},
      {TMessageIcon::Error, mbOK, mbOK, MB_ICONERROR | MB_OK | MB_DEFBUTTON1},
      {TMessageIcon::Information, mbOK, mbOK, MB_ICONINFORMATION | MB_OK | MB_DEFBUTTON1},
      {TMessageIcon::Question, mbYes | mbNo, mbNo, MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2},
      {TMessageIcon::Question, mbYes | mbNo, mbYes, MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON1},
  };
  for (const TCase& c : cases) {
    const UINT flags = MessageBoxFlags({nullptr, "", "", c.Icon, c.Buttons, c.Default});
    EXPECT_EQ(flags & ~(MB_TASKMODAL | MB_APPLMODAL), c.Expected) << std::hex << flags;
  }
}

TEST(Win32MessageBox, LineBreaksBecomeOneBreakEach) {
  struct TCase {
    std::string Text;
    std::wstring Shown;
  };
  const TCase cases[] = {
      {"\n\rA", L"\r\nA"},         {"A\r\nB", L"A\r\nB"},     {"A\n\r\n\rB", L"A\r\n\r\nB"},
      {"A\nB\rC", L"A\r\nB\r\nC"}, {"A\n\nB", L"A\r\n\r\nB"},
  };
  for (const TCase& c : cases) EXPECT_EQ(MessageBoxText(c.Text), c.Shown) << c.Text;
}

TEST(Win32MessageBox, DefaultErrorReportAddsAFullStopAfterLaterCharacters) {
  struct TCase {
    std::string Message;
    std::string Shown;
  };
  const TCase cases[] = {
      {"Socket Error # 10061", "Socket Error # 10061."},
      {"Done.", "Done."},
      {"Ends with a comma,", "Ends with a comma,"},
      {Cp("错误"), Cp("错误") + "."},
      {"", ""},
  };
  for (const TCase& c : cases) {
    test::TBoxes boxes;
    RunHandler(nullptr, [&] { throw std::runtime_error(c.Message); });
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, c.Shown);
    EXPECT_EQ(boxes.Shown[0].Caption, Cp("柏岚软件"));
    EXPECT_EQ(boxes.Shown[0].Icon, TMessageIcon::Error);
  }
}

TEST(Win32ServerAddresses, TestServerReplacesOnlyTheHost) {
  const TServerAddresses builtIn{"http://maker.example/install/Tavro/Live.txt",
                                 "http://maker.example/install/VADav/index.html",
                                 "http://maker.example/xukexieyi.html"};
  const auto redirected = RedirectToTestServer(builtIn, "http://127.0.0.1:40123");
  ASSERT_TRUE(redirected);
  EXPECT_EQ(redirected->Manifest, "http://127.0.0.1:40123/install/Tavro/Live.txt");
  EXPECT_EQ(redirected->Showcase, "http://127.0.0.1:40123/install/VADav/index.html");
  EXPECT_EQ(redirected->License, "http://127.0.0.1:40123/xukexieyi.html");
  // Unset, the program keeps the build's own addresses.
  EXPECT_EQ(BuiltInAddresses().Manifest, ManifestURL());
  EXPECT_EQ(BuiltInAddresses().Showcase, ShowcaseURL());
  EXPECT_EQ(BuiltInAddresses().License, LicenseURL());
}

TEST(Win32ServerAddresses, AnythingButALoopbackPortIsRefused) {
  const TServerAddresses builtIn = BuiltInAddresses();
  for (const char* server :
       {"", "http://maker.example:80", "http://127.0.0.1", "http://127.0.0.1:", "http://127.0.0.1:0",
        "http://127.0.0.1:65536", "http://127.0.0.1:80/x", "http://127.0.0.1:8x", "https://127.0.0.1:443",
        "http://127.0.0.10:80", "http://127.0.0.1:123456"}) {
    EXPECT_FALSE(RedirectToTestServer(builtIn, server)) << server;
  }
}

TEST(Win32Showcase, MarkerRule) {
  struct TCase {
    const char* Body;
    bool Seen;
  };
  const TCase cases[] = {
      {"<p>page</p><!--end-->", true},
      {"<!--end--><div>x</div>", true},
      {"a<!--end-->b", true},
      {"<!--END-->", false},
      {"<!-- end -->", false},
      {"<!--end--", false},
      {"", false},
  };
  for (const TCase& c : cases) EXPECT_EQ(ShowcaseMarkerSeen(c.Body), c.Seen) << c.Body;
}

// The nested pump runs what is posted, gives up at its time-out, and leaves a
// quit request for the outer loop.
TEST(Win32MessagePump, NestedPumpRunsMessagesAndKeepsTheQuit) {
  const HWND window =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  static bool ticked = false;
  SetTimer(window, 1, 10, [](HWND, UINT, UINT_PTR, DWORD) { ticked = true; });
  EXPECT_TRUE(PumpUntil([] { return ticked; }, 5000));
  KillTimer(window, 1);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(PumpUntil([] { return false; }, 50));
  EXPECT_GE(GetTickCount() - start, 50u - 16u);  // the tick's own granularity
  PostQuitMessage(7);
  ProcessMessages(true);
  MSG quit{};
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 7u);
  DestroyWindow(window);
}

TEST(Win32LedProgressBar, LitSegmentsFollowTheParts) {
  const HWND parent =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 19, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  {
    TLedProgressBar bar(parent, Bounds(0, 0, 600, 19));
    struct TCase {
      std::int64_t Total, Complete;
      int Lit;
    };
    const TCase cases[] = {
        {100, 0, 0},    {100, 50, 30}, {100, 100, 60},
        {100, 150, 60}, {0, 10, 0},    {-5, 10, 0},
        {100, -1, 0},   {3, 1, 20},    {2147483647LL * 20, 2147483647LL * 10, 30},
    };
    for (const TCase& c : cases) {
      bar.SetTotalParts(c.Total);
      bar.SetPartsComplete(c.Complete);
      EXPECT_EQ(bar.LitSegments(), c.Lit) << c.Complete << "/" << c.Total;
    }
  }
  DestroyWindow(parent);
}

}  // namespace
}  // namespace bailan

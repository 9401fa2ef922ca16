// The showcase page in the real web engine. The engine needs a real X server:
// Showcase.UnderXvfb starts its own Xvfb and runs the *Child tests of this same
// program (these, and what the user sees of the windows) in a child process on it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include "XvfbChild.h"

#include "qt/installer/MainForm.h"
#include "receive/ManifestFetch.h"
#include "qt/installer/MessageBox.h"
#include "qt/installer/ShowcaseView.h"
#include "platform/IniFile.h"
#include "support/Subprocess.h"
#include "support/TestServer.h"
#include "ui_MainForm.h"

namespace bailan {
namespace {

constexpr int kPageLoadTimeoutMs = 30000;
constexpr int kScriptSettleMs = 1500;  // the body script's answer arrives after the load

std::string Page(const std::string& head, const std::string& body) {
  const std::string html = "<html><head>" + head + "</head><body>" + body + "</body></html>";
  return html;
}

class ShowcaseChild : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::InXvfbChild()) GTEST_SKIP() << "runs inside Showcase.UnderXvfb";
    SetMessageSeam([](const TMessageRequest&) { return mbOK; });
    form = std::make_unique<TMainForm>();
    form->StartShowcaseLoad = [] {};
    form->show();
  }
  void TearDown() override {
    form.reset();
    SetMessageSeam(nullptr);
  }
  // Loads `path` and waits until the top-level document has completed and its
  // body script has answered.
  void Load(const std::string& path) {
    TShowcaseView* view = form->Form()->WebBrowser1;
    view->Navigate(QString::fromStdString(server.Url(path)));
    QSignalSpy complete(view, &TShowcaseView::documentComplete);
    ASSERT_TRUE(complete.wait(kPageLoadTimeoutMs)) << path;
    QTest::qWait(kScriptSettleMs);
  }

  test::TTestServer server;
  std::unique_ptr<TMainForm> form;
};

TEST_F(ShowcaseChild, MarkerInTheBodyMakesThePageReadyAndPage2ShowsIt) {
  server.AddFile("/index.html", Page("<title>t</title>", "<p>showcase</p><div><!--end--></div>"));
  Load("/index.html");
  EXPECT_TRUE(form->ShowcaseReady());
  SetManifestIni(std::make_unique<TIniFile>(TIniFile::FromText("")));
  form->Form()->Setup2UI->click();
  EXPECT_FALSE(form->ShowPic()->isActive());
  EXPECT_TRUE(form->Form()->DefaultImg->isHidden());
  EXPECT_TRUE(form->Form()->WebBrowser1->isVisible());
  EXPECT_EQ(form->Form()->WebBrowser1->geometry(),
            QRect(0, 0, 622, form->Form()->MiddlePanel->height() - 19));
  SetManifestIni(nullptr);
}

TEST_F(ShowcaseChild, MarkerOnlyInTheHeadOrInCapitalsIsNotSeen) {
  server.AddFile("/head.html", Page("<!--end--><title>t</title>", "<p>no marker</p>"));
  server.AddFile("/upper.html", Page("", "<p>x</p><!--END-->"));
  Load("/head.html");
  EXPECT_FALSE(form->ShowcaseReady());
  Load("/upper.html");
  EXPECT_FALSE(form->ShowcaseReady());
  form->Form()->Setup2UI->click();  // not ready: the banner stays, the retry timer runs
  EXPECT_TRUE(form->ShowPic()->isActive());
  EXPECT_TRUE(form->Form()->DefaultImg->isVisible());
}

TEST_F(ShowcaseChild, APageLargerThanTheViewShowsNoScrollBars) {
  server.AddFile("/large.html", Page("", "<div style=\"width: 3000px; height: 3000px\">x</div><!--end-->"));
  Load("/large.html");
  QVariant bars;
  form->Form()->WebBrowser1->RunScript(
      QStringLiteral("[window.innerWidth - document.scrollingElement.clientWidth,"
                     " window.innerHeight - document.scrollingElement.clientHeight,"
                     " document.body.getAttribute('scroll')]"),
      [&](const QVariant& result) { bars = result; });
  QTRY_VERIFY(bars.isValid());
  // A scroll bar takes its width from the layout; without one nothing is taken.
  EXPECT_EQ(bars.toList().value(0).toInt(), 0);
  EXPECT_EQ(bars.toList().value(1).toInt(), 0);
  EXPECT_EQ(bars.toList().value(2).toString(), QStringLiteral("no"));  // still set, as the page may read it
}

TEST_F(ShowcaseChild, APageThatNeverCompletesLeavesTheBanner) {
  server.AddScript(test::TConnectionScript()
                       .ReadRequest()
                       .Send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100000\r\n\r\n"
                             "<html><body><!--end-->")
                       .Hang());
  form->Form()->WebBrowser1->Navigate(QString::fromStdString(server.Url("/slow.html")));
  QSignalSpy complete(form->Form()->WebBrowser1, &TShowcaseView::documentComplete);
  EXPECT_FALSE(complete.wait(4000));
  EXPECT_FALSE(form->ShowcaseReady());
  form->ShowPicTimer();  // not ready: a new load, the banner stays
  EXPECT_TRUE(form->Form()->DefaultImg->isVisible());
  server.Stop();
}

// Starts an Xvfb of its own on a free display; stops it at the end.
class TXvfb {
 public:
  static constexpr int kFirstDisplay = 70;
  static constexpr int kDisplayAttempts = 10;  // displays tried before giving up

  TXvfb() {
    const int first = kFirstDisplay + getpid() % 100;
    for (int display = first; display < first + kDisplayAttempts && !server_; ++display) {
      if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display)) ||
          std::filesystem::exists("/tmp/.X" + std::to_string(display) + "-lock")) {
        continue;
      }
      auto server = std::make_unique<test::TSubprocess>(std::vector<std::string>{
          "/usr/bin/Xvfb", ":" + std::to_string(display), "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
      for (int i = 0; i < 100; ++i) {
        if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display))) {
          server_ = std::move(server);
          display_ = display;
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
  }
  // A terminated Xvfb removes its socket and lock file.
  ~TXvfb() {
    if (!server_) return;
    server_->Signal(SIGTERM);
    server_->Wait(5000);
  }
  TXvfb(const TXvfb&) = delete;
  TXvfb& operator=(const TXvfb&) = delete;

  bool Running() const { return server_ != nullptr; }
  std::string Display() const { return ":" + std::to_string(display_); }

 private:
  std::unique_ptr<test::TSubprocess> server_;
  int display_ = 0;
};

TEST(Showcase, UnderXvfb) {
  if (test::InXvfbChild()) GTEST_SKIP();
  TXvfb xvfb;
  ASSERT_TRUE(xvfb.Running()) << "Xvfb did not start";
  test::TSubprocess child(
      {"/usr/bin/env", std::string(test::kXvfbChildVariable) + "=1", "QT_QPA_PLATFORM=xcb",
       "DISPLAY=" + xvfb.Display(), "QTWEBENGINE_DISABLE_SANDBOX=1",
       std::filesystem::read_symlink("/proc/self/exe").string(), "--gtest_filter=*Child.*"});
  const int code = child.Wait(180000);
  EXPECT_EQ(code, 0) << child.Stdout() << child.Stderr();
}

}  // namespace
}  // namespace bailan

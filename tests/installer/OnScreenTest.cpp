// What the user reads of the real message boxes on a real X server (run inside
// Showcase.UnderXvfb): their titles as the X server holds them, which is what a
// window manager or a driving script shows, and their buttons. The end-to-end
// drive finds the installer window by its whole title the same way.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "XvfbChild.h"
#include "qt/installer/Application.h"
#include "qt/installer/MessageBox.h"
#include "qt/installer/QtText.h"

namespace bailan {
namespace {

constexpr int kBoxWaitMs = 10000;

// The title of X window `id` as the X server holds it.
QString XWindowTitle(WId id) {
  QProcess xdotool;
  xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::number(id)});
  if (!xdotool.waitForFinished(kBoxWaitMs)) return QStringLiteral("(xdotool did not answer)");
  return QString::fromUtf8(xdotool.readAllStandardOutput()).chopped(1);  // its line break
}

class OnScreenChild : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::InXvfbChild()) GTEST_SKIP() << "runs inside Showcase.UnderXvfb";
    SetupApplication(*qApp);
  }
};

// Shows a real box for `request` and, once it is on screen, hands it to `look`
// and closes it with its default button.
void WithBoxOnScreen(const TMessageRequest& request, const std::function<void(QMessageBox&)>& look) {
  QTimer poll;
  int polls = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
      if (++polls * 20 > kBoxWaitMs) poll.stop();
      return;
    }
    poll.stop();
    look(*box);
    box->defaultButton()->click();
  });
  poll.start(20);
  ShowMessageBox(request);
}

TEST_F(OnScreenChild, MessageBoxesShowTheirCaptionsAndChineseButtonsAsGiven) {
  const struct {
    const char* Caption;
    int Buttons;
    QStringList Texts;
  } cases[] = {
      {"必读提示", mbOK, {Ui("确定")}}, {"警告", mbOK, {Ui("确定")}},
      {"错误", mbOK, {Ui("确定")}},     {"确认信息", mbYes | mbNo, {Ui("是"), Ui("否")}},
      {"柏岚软件", mbOK, {Ui("确定")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Caption);
    QString title;
    QStringList texts;
    WithBoxOnScreen({nullptr, Ui("text"), Ui(c.Caption), TMessageIcon::Warning, c.Buttons,
                     (c.Buttons & mbOK) ? mbOK : mbNo},
                    [&](QMessageBox& box) {
                      EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
                      title = XWindowTitle(box.winId());
                      for (QAbstractButton* button : box.buttons()) texts << button->text();
                    });
    EXPECT_EQ(title.toStdString(), Ui(c.Caption).toStdString());
    texts.sort();
    QStringList expected = c.Texts;
    expected.sort();
    EXPECT_EQ(texts, expected);
  }
}

}  // namespace
}  // namespace bailan

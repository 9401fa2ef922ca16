// The installer window on the offscreen platform: geometry, pixels, texts,
// fonts, the page commands and the small widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRawFont>
#include <QTest>
#include <QTimer>

#include "qt/installer/Application.h"
#include "qt/installer/Fonts.h"
#include "receive/GlobalTexts.h"
#include "qt/installer/LedProgressBar.h"
#include "qt/installer/MainForm.h"
#include "receive/ManifestFetch.h"
#include "qt/installer/MessageBox.h"
#include "qt/installer/QtText.h"
#include "platform/Cp936.h"
#include "ui_MainForm.h"

namespace bailan {
namespace {

// Records every message box and answers it.
struct TBoxes {
  std::vector<TMessageRequest> Shown;
  int Answer = mbOK;
  TBoxes() {
    SetMessageSeam([this](const TMessageRequest& request) {
      Shown.push_back(request);
      return Answer;
    });
  }
  ~TBoxes() { SetMessageSeam(nullptr); }
};

// An installer window that loads no showcase page (no browser offscreen).
class TTestForm : public TMainForm {
 public:
  TTestForm() {
    StartShowcaseLoad = [] {};
  }
};

// A plain installer window that counts the drags it starts.
class TDragCountingForm : public TTestForm {
 public:
  int Moves = 0;

 protected:
  void StartSystemMove() override { ++Moves; }
};

QRgb PixelAt(const QImage& image, int x, int y) {
  return image.pixel(x, y) & 0xFFFFFF;
}

TEST(MainForm, GeometryFrameAndPanelColours) {
  TBoxes boxes;
  TTestForm form;
  Ui::TMainForm* ui = form.Form();
  form.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(form.size(), QSize(624, 360));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  form.resize(800, 500);
  EXPECT_EQ(form.size(), QSize(624, 360));
  EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(ui->MainPanel->geometry(), QRect(1, 1, 622, 358));
  EXPECT_EQ(ui->TopPanel->geometry(), QRect(0, 0, 622, 74));
  EXPECT_EQ(ui->Page1Bottom->geometry(), QRect(0, 358 - 89, 622, 89));
  EXPECT_EQ(ui->BtnClose->geometry(), QRect(576, 1, 45, 20));
  EXPECT_EQ(ui->BtnMin->geometry(), QRect(531, 1, 45, 20));
  EXPECT_EQ(ui->InstallPath->geometry(), QRect(76, 36, 292, 14));
  EXPECT_EQ(ui->BtnSteup->geometry(), QRect(467, 6, 80, 80));
  EXPECT_EQ(ui->WebBrowser1->geometry(), QRect(1032, -48, 467, 212));
  EXPECT_TRUE(ui->Setup1UI->isHidden() && ui->Setup2UI->isHidden() && ui->Setup3UI->isHidden());

  const QImage image = form.grab().toImage();
  const QRgb frame = qRgb(18, 102, 152) & 0xFFFFFF, maroon = qRgb(128, 0, 0) & 0xFFFFFF;
  for (QPoint p : {QPoint(1, 0), QPoint(300, 0), QPoint(622, 0), QPoint(0, 1), QPoint(0, 180),
                   QPoint(623, 358), QPoint(300, 359), QPoint(623, 1)}) {
    EXPECT_EQ(PixelAt(image, p.x(), p.y()), frame) << p.x() << "," << p.y();
  }
  for (QPoint p : {QPoint(0, 0), QPoint(623, 0), QPoint(0, 359), QPoint(623, 359)}) {
    EXPECT_EQ(PixelAt(image, p.x(), p.y()), maroon) << "corner " << p.x() << "," << p.y();
    EXPECT_FALSE(form.mask().contains(p)) << "corner left out " << p.x() << "," << p.y();
  }
  EXPECT_EQ(PixelAt(image, 5, 60), qRgb(255, 255, 255) & 0xFFFFFF);   // TopPanel
  EXPECT_EQ(PixelAt(image, 5, 300), qRgb(130, 210, 249) & 0xFFFFFF);  // Page1Bottom
}

TEST(MainForm, ShowStepsTextsWarningAndHiddenBar) {
  TBoxes boxes;
  TTestForm form;
  form.show();
  QTRY_COMPARE(boxes.Shown.size(), std::size_t{1});
  EXPECT_EQ(boxes.Shown[0].Caption, Ui("必读提示"));
  EXPECT_EQ(boxes.Shown[0].Icon, TMessageIcon::Warning);
  EXPECT_TRUE(boxes.Shown[0].Text.contains(Ui("全部\n\r\n\r点允许")));
  EXPECT_EQ(form.Form()->Title->text(), Ui("欢迎使用"));
  EXPECT_EQ(form.Form()->Content->text(), Ui("正在安装 - 柏岚销售记账打印软件"));
  EXPECT_TRUE(form.Form()->ProgressBar->isHidden());
}

TEST(MainForm, ChineseLabelsRenderCjkGlyphs) {
  InstallFontSubstitutions();
  TTestForm form;
  for (QLabel* label : {form.Form()->Title, form.Form()->Label2}) {
    const QRawFont raw = QRawFont::fromFont(label->font());
    for (char32_t c : {U'欢', U'装', U'岚'})
      EXPECT_TRUE(raw.supportsCharacter(c)) << raw.familyName().toStdString();
  }
  EXPECT_EQ(QFontInfo(form.Form()->Title->font()).pixelSize(), 28);
  EXPECT_TRUE(form.Form()->Title->font().bold());
  EXPECT_EQ(QFontInfo(form.Form()->Label2->font()).pixelSize(), 12);
  EXPECT_EQ(QFontInfo(form.Form()->Content->font()).pixelSize(), 17);
  // Two different characters draw differently: boxes would be alike.
  auto render = [](const QString& text) {
    QLabel label(text);
    label.setFont(QFont(Ui("宋体")));
    label.resize(40, 20);
    return label.grab().toImage();
  };
  EXPECT_NE(render(Ui("安")), render(Ui("装")));
}

TEST(MainForm, PageCommandsSwitchThePanels) {
  TBoxes boxes;
  TTestForm form;
  Ui::TMainForm* ui = form.Form();
  bool quit = false;
  form.QuitRequest = [&] { quit = true; };
  form.show();
  QTRY_COMPARE(boxes.Shown.size(), std::size_t{1});

  SetManifestIni(nullptr);
  ui->Setup2UI->click();  // without a manifest: the error box and a quit request, then page 2 all the same
  ASSERT_EQ(boxes.Shown.size(), std::size_t{2});
  EXPECT_EQ(boxes.Shown[1].Caption, Ui("错误"));
  EXPECT_TRUE(quit);
  EXPECT_TRUE(ui->Page2Bottom->isVisible() && ui->ProgressBar->isVisible() && ui->DefaultImg->isVisible());
  EXPECT_FALSE(ui->Page1Bottom->isVisible() || ui->page3->isVisible());
  EXPECT_TRUE(form.ShowPic()->isActive());  // the showcase is not ready: the banner stays
  EXPECT_EQ(form.ShowPic()->interval(), TMainForm::kShowPicInterval);
  EXPECT_EQ(ui->MiddlePanel->height(), 358 - 74 - 74);
  EXPECT_EQ(ui->ProgressBar->geometry(), QRect(0, ui->MiddlePanel->height() - 19, 622, 19));

  ui->BtnClose->clicked();  // guarded on page 2
  ASSERT_EQ(boxes.Shown.size(), std::size_t{3});
  EXPECT_EQ(boxes.Shown[2].Caption, Ui("警告"));
  EXPECT_EQ(boxes.Shown[2].Text, Ui("\n\r软件正在安装,关闭将导致安装失败!"));
  EXPECT_TRUE(form.isVisible());

  ui->Setup3UI->click();
  EXPECT_TRUE(ui->page3->isVisible());
  EXPECT_FALSE(ui->MiddlePanel->isVisible() || ui->Page1Bottom->isVisible() || ui->Page2Bottom->isVisible());
  EXPECT_EQ(ui->page3->geometry(), QRect(0, 74, 622, 358 - 74));

  ui->Setup1UI->click();
  EXPECT_TRUE(ui->Page1Bottom->isVisible() && ui->MiddlePanel->isVisible() && ui->DefaultImg->isVisible());
  EXPECT_FALSE(ui->Page2Bottom->isVisible() || ui->ProgressBar->isVisible() || ui->page3->isVisible());
  EXPECT_EQ(ui->WebBrowser1->y(), 300);
  ui->BtnClose->clicked();  // page 1: the window closes
  EXPECT_FALSE(form.isVisible());
}

TEST(MainForm, DraggingOnlyFromSurfacesWithTheLeftButton) {
  TBoxes boxes;
  TDragCountingForm form;
  form.show();
  QTRY_COMPARE(boxes.Shown.size(), std::size_t{1});
  Ui::TMainForm* ui = form.Form();
  QTest::mousePress(ui->TopPanel, Qt::RightButton, {}, QPoint(300, 30));
  EXPECT_EQ(form.Moves, 0);
  for (QWidget* other : {static_cast<QWidget*>(ui->Label2), static_cast<QWidget*>(ui->Label3),
                         static_cast<QWidget*>(ui->Image3)}) {
    QTest::mousePress(other, Qt::LeftButton, {}, QPoint(2, 2));
  }
  EXPECT_EQ(form.Moves, 0);
  for (QWidget* surface : {static_cast<QWidget*>(ui->TopPanel), static_cast<QWidget*>(ui->Title),
                           static_cast<QWidget*>(ui->Page1Bottom), static_cast<QWidget*>(ui->DefaultImg)}) {
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(2, 2));
  }
  EXPECT_EQ(form.Moves, 4);
}

TEST(MainForm, HoverFlashEndsOnTheNormalPicture) {
  TTestForm form;
  const QImage normal = form.Form()->BtnClose->Picture().toImage();
  QTest::mouseMove(form.Form()->BtnClose, QPoint(5, 5));
  emit form.Form()->BtnClose->mouseMoved();
  EXPECT_EQ(form.Form()->BtnClose->Picture().toImage(), normal);
}

TEST(MainForm, FolderBrowserKeepsOrSetsThePath) {
  TTestForm form;
  const QString before = form.Form()->InstallPath->text();
  QString title;
  form.BrowseForFolder = [&](QWidget*, const QString& t) {
    title = t;
    return QString();
  };
  form.BtnSelectPtahClick();
  EXPECT_EQ(title, Ui("请选择目录"));
  EXPECT_EQ(form.Form()->InstallPath->text(), before);
  for (auto [chosen, shown] : {std::pair{"/opt/app/", "/opt/app"}, std::pair{"/", "/"}}) {
    form.BrowseForFolder = [c = QString(chosen)](QWidget*, const QString&) { return c; };
    form.BtnSelectPtahClick();
    EXPECT_EQ(form.Form()->InstallPath->text(), QString(shown));
  }
}

TEST(MainForm, FolderBrowserIsChineseAndOpensAtTheTopOfTheUsersFolders) {
  SetupApplication(*qApp);
  TTestForm form;
  QString opened, caption;
  QStringList labels;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    poll.stop();
    opened = dialog->directory().absolutePath();
    caption = dialog->windowTitle();
    for (auto label : {QFileDialog::LookIn, QFileDialog::FileName, QFileDialog::FileType, QFileDialog::Accept,
                       QFileDialog::Reject})
      labels << dialog->labelText(label);
    dialog->reject();
  });
  poll.start(20);
  QDir::setCurrent(QDir::tempPath());  // not where it opens
  const QString before = form.Form()->InstallPath->text();
  form.BtnSelectPtahClick();
  EXPECT_EQ(opened, QDir::homePath());
  EXPECT_EQ(caption, Ui("请选择目录"));
  for (const QString& label : labels) {
    EXPECT_TRUE(std::any_of(label.begin(), label.end(), [](QChar c) { return c.unicode() >= 0x4E00; }))
        << label.toStdString();
  }
  EXPECT_EQ(form.Form()->InstallPath->text(), before);  // cancelled
}

// Rows of `image` that hold a pixel other than white.
int InkRows(const QImage& image) {
  int rows = 0;
  for (int y = 0; y < image.height(); ++y) {
    bool ink = false;
    for (int x = 0; x < image.width() && !ink; ++x) ink = (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    rows += ink;
  }
  return rows;
}

TEST(MainForm, InstallPathShowsDescendersWhole) {
  InstallFontSubstitutions();
  TBoxes boxes;
  TTestForm form;
  QLineEdit* field = form.Form()->InstallPath;
  field->setText(QStringLiteral("pgy"));
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const int shown = InkRows(field->grab().toImage());
  // The same text in the field's font with room to spare.
  QImage roomy(field->width(), 4 * field->height(), QImage::Format_RGB32);
  roomy.fill(Qt::white);
  QPainter painter(&roomy);
  painter.setFont(field->font());
  painter.setPen(QColor(85, 85, 85));
  painter.drawText(2, 2 * field->height(), field->text());
  painter.end();
  EXPECT_GT(shown, 0);
  EXPECT_EQ(shown, InkRows(roomy)) << QFontInfo(field->font()).family().toStdString();
}

// Receives the URLs handed to the desktop shell.
class TUrlCatcher : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> Opened;
 public slots:
  void Open(const QUrl& url) { Opened << url; }
};

TEST(MainForm, LicenceLinkOpensTheLicenceAddress) {
  TTestForm form;
  TUrlCatcher catcher;
  QDesktopServices::setUrlHandler("http", &catcher, "Open");
  QTest::mouseClick(form.Form()->xukexieyi, Qt::LeftButton);
  QDesktopServices::unsetUrlHandler("http");
  ASSERT_EQ(catcher.Opened.size(), 1);
  EXPECT_EQ(catcher.Opened[0].toString(), ToQString(LicenseURL()));
  EXPECT_TRUE(catcher.Opened[0].toString().endsWith("/xukexieyi.html"));
}

TEST(ErrorReport, FullStopAfterCharactersThatSortAfterIt) {
  EXPECT_EQ(ErrorReportText("Cannot create file \"x\". No such file"),
            "Cannot create file \"x\". No such file.");
  EXPECT_EQ(ErrorReportText("done."), "done.");
  EXPECT_EQ(ErrorReportText("a-"), "a-");
  EXPECT_EQ(ErrorReportText(""), "");
  EXPECT_EQ(ErrorReportText(Cp("出错")), Cp("出错") + ".");
  TBoxes boxes;
  RunHandler(nullptr, [] { throw std::runtime_error("boom"); });
  ASSERT_EQ(boxes.Shown.size(), std::size_t{1});
  EXPECT_EQ(boxes.Shown[0].Text, "boom.");
  EXPECT_EQ(boxes.Shown[0].Caption, Ui("柏岚软件"));
  EXPECT_EQ(boxes.Shown[0].Icon, TMessageIcon::Error);
}

TEST(LedProgressBar, SegmentsInProportion) {
  TLedProgressBar bar;
  EXPECT_EQ(bar.LitSegments(), 0);
  bar.SetTotalParts(20LL * 2147483647);  // past 32 bits
  bar.SetPartsComplete(10LL * 2147483647);
  EXPECT_EQ(bar.LitSegments(), 30);
  bar.SetPartsComplete(bar.TotalParts() - 1);
  EXPECT_EQ(bar.LitSegments(), 59);
  bar.SetPartsComplete(bar.TotalParts() * 2);
  EXPECT_EQ(bar.LitSegments(), TLedProgressBar::kSegments);
}

}  // namespace
}  // namespace bailan

#include "MainFormTest.moc"

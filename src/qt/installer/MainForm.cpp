#include "qt/installer/MainForm.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QUrl>
#include <QWindow>

#include "qt/installer/GetUpdateThread.h"
#include "receive/GlobalTexts.h"
#include "qt/installer/HandlerConnection.h"
#include "receive/ManifestFetch.h"
#include "qt/installer/MessageBox.h"
#include "qt/installer/PictureStrip.h"
#include "qt/installer/QtText.h"
#include "platform/Exception.h"
#include "platform/InstallFolder.h"
#include "qt/installer/Fonts.h"
#include "ui_MainForm.h"

namespace bailan {
namespace {

constexpr QSize kStepSize(207, 22);
constexpr QSize kWindowButtonSize(45, 20);
constexpr int kStepFinished = 0, kStepInstalling = 1, kStepOptions = 2;
constexpr int kSlotClose = 0, kSlotCloseHighlighted = 1, kSlotMinimise = 2;
constexpr int kBrowserParkedTop = 300;  // page 1 parks the browser below the panel's view
constexpr int kBalloonTimeoutMs = 10000;
constexpr int kBtnCloseRightInset = 3;

const char* const kSteps = ":/assets/steps.png";
const char* const kWindowButtons = ":/assets/windowbuttons.png";

void PostQuit() {
  QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

// The folder browser opens at the top of the user's own folders (the home
// folder, which holds the desktop and the other user folders), never in the
// process's current folder, with nothing preselected; only folders can be chosen.
QString ChooseFolder(QWidget* owner, const QString& title) {
  QFileDialog dialog(owner, title, QDir::homePath());
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().constFirst();
}

// A chosen folder as the edit shows it: native separators, no trailing
// separator except on a root, which keeps its own.
QString FolderText(const QString& folder) {
  QString text = QDir::toNativeSeparators(folder);
  while (text.size() > 1 && text.endsWith(QDir::separator()) && !text.endsWith(QStringLiteral(":\\"))) {
    text.chop(1);
  }
  return text;
}

}  // namespace

const QColor TMainForm::kFrameColor(18, 102, 152);
const QColor TMainForm::kTransparencyKey(128, 0, 0);

TMainForm::TMainForm(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::TMainForm>()), showPic_(new QTimer(this)) {
  QuitRequest = PostQuit;
  FetchManifestStep = [] { return FetchManifest(); };
  StartShowcaseLoad = [this] { GetUpdateThread::Run(this); };
  BrowseForFolder = ChooseFolder;
  ShowcaseAddress = ToQString(ShowcaseURL());
  LicenseAddress = ToQString(LicenseURL());
  ui_->setupUi(this);
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_OpaquePaintEvent);
  showPic_->setInterval(kShowPicInterval);

  ui_->InstallPath->setText(ToQString(DefaultInstallFolder()));
  FitInstallPathFont();
  ui_->DefaultImg->setPixmap(QPixmap(":/assets/banner.png"));
  ui_->Image3->setPixmap(QPixmap(":/assets/pathframe.png"));
  ui_->BtnSelectPtah->SetPicture(QPixmap(":/assets/browse.png"));
  ui_->BtnSteup->SetPicture(QPixmap(":/assets/install.png"));
  ui_->BtnClose->SetPicture(PictureSlot(kWindowButtons, kSlotClose, kWindowButtonSize));
  ui_->BtnMin->SetPicture(PictureSlot(kWindowButtons, kSlotMinimise, kWindowButtonSize));
  SetStepPicture(kStepOptions);
  ui_->page3->hide();
  ui_->Page2Bottom->hide();

  ConnectHandlers();
  SetupDragSurfaces();
  ui_->MiddlePanel->installEventFilter(this);
  FormCreate();
}

TMainForm::~TMainForm() = default;

// The path field is 14 pixels high, as designed for a 12-pixel "宋体" whose lines
// are 12 pixels; the face that stands in for it may have taller lines, which the
// field would cut (the descenders of "p", "g", "y" first).
void TMainForm::FitInstallPathFont() {
  QLineEdit* field = ui_->InstallPath;
  field->ensurePolished();
  const QFont designed = field->font();
  const QFont fitted = FitFontToHeight(designed, field->height());
  if (fitted == designed || fitted.pixelSize() <= 0) return;
  // The window's style sheet sets the fonts; the field's own sheet wins over it.
  field->setStyleSheet(QStringLiteral("font-family: \"%1\"; font-size: %2px;")
                           .arg(fitted.families().value(0, fitted.family()))
                           .arg(fitted.pixelSize()));
}

void TMainForm::ConnectHandlers() {
  ConnectHandler(ui_->Setup1UI, &QPushButton::clicked, this, &TMainForm::Setup1UIClick);
  ConnectHandler(ui_->Setup2UI, &QPushButton::clicked, this, &TMainForm::Setup2UIClick);
  ConnectHandler(ui_->Setup3UI, &QPushButton::clicked, this, &TMainForm::Setup3UIClick);
  ConnectHandler(ui_->BtnSteup, &TPictureButton::clicked, this, &TMainForm::BtnSteupClick);
  ConnectHandler(ui_->BtnClose, &TPictureButton::clicked, this, &TMainForm::BtnCloseClick);
  ConnectHandler(ui_->BtnMin, &TPictureButton::clicked, this, &TMainForm::BtnMinClick);
  ConnectHandler(ui_->BtnSelectPtah, &TPictureButton::clicked, this, &TMainForm::BtnSelectPtahClick);
  connect(ui_->BtnClose, &TPictureButton::mouseMoved, this, &TMainForm::BtnCloseMouseMove);
  connect(ui_->BtnMin, &TPictureButton::mouseMoved, this, &TMainForm::BtnMinMouseMove);
  ConnectHandler(showPic_, &QTimer::timeout, this, &TMainForm::ShowPicTimer);
  ConnectHandler(ui_->WebBrowser1, &TShowcaseView::documentComplete, this,
                 &TMainForm::WebBrowser1DocumentComplete);
  ui_->xukexieyi->installEventFilter(this);
}

// Presses on these surfaces drag the window; presses on the controls lying on
// them stay with the controls.
void TMainForm::SetupDragSurfaces() {
  const QList<QWidget*> surfaces{ui_->MainPanel,  ui_->TopPanel,    ui_->Title,       ui_->Content,
                                 ui_->SteupImage, ui_->DefaultImg,  ui_->Page1Bottom, ui_->Page2Bottom,
                                 ui_->page3,      ui_->Page2Caption};
  for (QWidget* surface : surfaces) surface->installEventFilter(this);
  const QList<QWidget*> others{ui_->Label2,        ui_->Label3,      ui_->Image3,     ui_->InstallPath,
                               ui_->xukexieyi,     ui_->BtnMin,      ui_->BtnClose,   ui_->BtnSteup,
                               ui_->BtnSelectPtah, ui_->ProgressBar, ui_->WebBrowser1};
  for (QWidget* other : others) other->setAttribute(Qt::WA_NoMousePropagation);
}

void TMainForm::FormCreate() {
  setFixedSize(kWidth, kHeight);  // minimum and maximum alike: not resizable
  ui_->MainPanel->setGeometry(1, 1, width() - 2, height() - 2);
  ui_->BtnClose->move(width() - ui_->BtnClose->width() - kBtnCloseRightInset, 1);
  // Left out of the window: the corner pixels that the rounded frame leaves in
  // the transparency key's colour.
  QRegion shape(rect());
  for (QPoint corner :
       {QPoint(0, 0), QPoint(kWidth - 1, 0), QPoint(0, kHeight - 1), QPoint(kWidth - 1, kHeight - 1)}) {
    shape -= QRegion(corner.x(), corner.y(), 1, 1);
  }
  setMask(shape);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TMainForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_) return;  // restoring from the tray is not a new start
  shown_ = true;
  // After the window has painted, so that the warning box stands over it.
  QMetaObject::invokeMethod(
      this, [this] { RunHandler(this, [this] { FormShow(); }); }, Qt::QueuedConnection);
}

void TMainForm::FormShow() {
  if (!TitleText().empty()) ui_->Title->setText(ToQString(TitleText()));
  if (!ProductName().empty()) ui_->Content->setText(Ui("正在安装 - ") + ToQString(ProductName()));
  ShowMessageBox({this, ToQString(WarningText()), Ui("必读提示"), TMessageIcon::Warning, mbOK, mbOK});
  ui_->ProgressBar->hide();
  ArrangeMiddlePanel();
  StartShowcaseLoad();
}

void TMainForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kTransparencyKey);
  // The rounded rectangle with 2 x 2 corners: four lines that leave the corner
  // pixels out.
  painter.setPen(QPen(kFrameColor, 1));
  const int right = width() - 1, bottom = height() - 1;
  painter.drawLine(1, 0, right - 1, 0);
  painter.drawLine(1, bottom, right - 1, bottom);
  painter.drawLine(0, 1, 0, bottom - 1);
  painter.drawLine(right, 1, right, bottom - 1);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  update();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_->MiddlePanel &&
      (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)) {
    ArrangeMiddlePanel();
  } else if (event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (watched == ui_->xukexieyi) {
      if (mouse->button() == Qt::LeftButton) RunHandler(this, [this] { xukexieyiClick(); });
      return true;
    }
    TopPanelMouseDown(mouse);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TMainForm::TopPanelMouseDown(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) StartSystemMove();
}

void TMainForm::StartSystemMove() {
  if (QWindow* window = windowHandle()) window->startSystemMove();
}

// The flash blocks the GUI thread, as the design has it: 50 ms per move event.
void TMainForm::BtnCloseMouseMove() {
  ui_->BtnClose->SetPicture(PictureSlot(kWindowButtons, kSlotCloseHighlighted, kWindowButtonSize));
  ui_->BtnClose->repaint();
  QThread::msleep(kHoverFlashMs);
  ui_->BtnClose->SetPicture(PictureSlot(kWindowButtons, kSlotClose, kWindowButtonSize));
  ui_->BtnClose->repaint();
}

void TMainForm::BtnMinMouseMove() {
  QThread::msleep(kHoverFlashMs);
  ui_->BtnMin->SetPicture(PictureSlot(kWindowButtons, kSlotMinimise, kWindowButtonSize));
  ui_->BtnMin->repaint();
}

void TMainForm::SetStepPicture(int slot) {
  ui_->SteupImage->setPixmap(PictureSlot(kSteps, slot, kStepSize));
  ui_->SteupImage->repaint();
}

// DefaultImg fills the middle panel above the progress bar (the whole panel
// while the bar is hidden); the browser does the same while it "fills".
void TMainForm::ArrangeMiddlePanel() {
  const QRect client = ui_->MiddlePanel->rect();
  const int barHeight = ui_->ProgressBar->height();
  QRect above = client;
  if (!ui_->ProgressBar->isHidden()) {
    above.setBottom(client.bottom() - barHeight);
    ui_->ProgressBar->setGeometry(0, client.height() - barHeight, client.width(), barHeight);
  }
  ui_->DefaultImg->setGeometry(above);
  if (browserFills_) ui_->WebBrowser1->setGeometry(above);
}

void TMainForm::Setup1UIClick() {
  SetStepPicture(kStepOptions);
  ui_->MiddlePanel->show();
  ui_->Page1Bottom->show();
  ui_->Page2Bottom->hide();
  ui_->ProgressBar->hide();
  ui_->DefaultImg->show();
  ui_->WebBrowser1->hide();
  browserFills_ = false;
  ui_->WebBrowser1->move(ui_->WebBrowser1->x(), kBrowserParkedTop);
  ui_->page3->hide();
  ArrangeMiddlePanel();
}

void TMainForm::Setup2UIClick() {
  if (ManifestIni() == nullptr) {
    ShowMessageBox({this, Ui("安装过程出错，可能是您未连接网络或拒绝连接网络，请将安全软件关闭后重试！"),
                    Ui("错误"), TMessageIcon::Warning, mbOK, mbOK});
    QuitRequest();
  }
  SetStepPicture(kStepInstalling);
  ui_->MiddlePanel->show();
  ui_->ProgressBar->show();
  if (showcaseReady_) {
    RevealShowcase();
  } else {
    showPic_->start();
  }
  ui_->Page1Bottom->hide();
  ui_->Page2Bottom->show();
  ui_->page3->hide();
  ArrangeMiddlePanel();
}

void TMainForm::Setup3UIClick() {
  SetStepPicture(kStepFinished);
  ui_->MiddlePanel->hide();
  ui_->DefaultImg->hide();
  ui_->ProgressBar->hide();
  ui_->Page1Bottom->hide();
  ui_->Page2Bottom->hide();
  ui_->page3->setMinimumHeight(0);
  ui_->page3->setMaximumHeight(QWIDGETSIZE_MAX);
  ui_->page3->show();
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void TMainForm::RevealShowcase() {
  ui_->DefaultImg->hide();
  ui_->WebBrowser1->show();
  browserFills_ = true;
  ArrangeMiddlePanel();
}

void TMainForm::BtnSteupClick() {
  // The window keeps answering during the fetch; a second click meanwhile is
  // the same installation and is ignored.
  if (fetching_) return;
  fetching_ = true;
  bool fetched = false;
  try {
    fetched = FetchManifestStep();
  } catch (...) {
    fetching_ = false;
    throw;
  }
  fetching_ = false;
  if (fetched) AddToDownLoadList();
  ui_->Setup2UI->click();
  ClickBtnPlay();
  EnableProgressTimer();
}

void TMainForm::BtnCloseClick() {
  if (ui_->Page2Bottom->isVisible()) {
    ShowMessageBox(
        {this, Ui("\n\r软件正在安装,关闭将导致安装失败!"), Ui("警告"), TMessageIcon::Warning, mbOK, mbOK});
    return;
  }
  close();
}

void TMainForm::BtnMinClick() {
  QMetaObject::invokeMethod(this, &QWidget::showMinimized, Qt::QueuedConnection);
  ShowTrayBalloon(Ui("提示"), Ui("安装程序最小化在这里，如需打开请双击，安装完软件会自动打开,请耐心等待。"),
                  kBalloonTimeoutMs);
}

void TMainForm::ShowTrayBalloon(const QString&, const QString&, int) {}

void TMainForm::BtnSelectPtahClick() {
  const QString folder = BrowseForFolder(this, Ui("请选择目录"));
  if (!folder.isEmpty()) ui_->InstallPath->setText(FolderText(folder));
}

void TMainForm::xukexieyiClick() {
  QDesktopServices::openUrl(QUrl(LicenseAddress));
}

void TMainForm::NavigateShowcase() {
  ui_->WebBrowser1->Navigate(ShowcaseAddress);
}

void TMainForm::ShowPicTimer() {
  if (showcaseReady_) {
    showPic_->stop();
    RevealShowcase();
  } else {
    NavigateShowcase();
  }
}

void TMainForm::WebBrowser1DocumentComplete() {
  static const QString kScript = QStringLiteral(
      "(function() {"
      "  var body = document.body;"
      "  if (!body) return {error: 'The document has no body'};"
      "  try {"
      "    body.setAttribute('scroll', 'no');"
      "    body.style.border = 'none';"
      "    body.style.margin = '0px';"
      "  } catch (e) { return {error: String(e)}; }"
      "  return {html: body.innerHTML};"
      "})()");
  ui_->WebBrowser1->RunScript(kScript, [this](const QVariant& result) {
    const QVariantMap answer = result.toMap();
    if (answer.contains("error")) {
      ShowErrorReport(this, Exception(FromQString(answer.value("error").toString())));
      return;
    }
    // The marker as the page's own text holds it: case-sensitive, anywhere in the body.
    if (FromQString(answer.value("html").toString()).find("<!--end-->") != std::string::npos) {
      showcaseReady_ = true;
    }
  });
}

}  // namespace bailan

#include "win32/installer/MainForm.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "platform/Cp936.h"
#include "platform/InstallFolder.h"
#include "receive/GlobalTexts.h"
#include "receive/ManifestFetch.h"
#include "win32/common/MessageBox.h"
#include "win32/common/WideText.h"
#include "win32/installer/FormMessages.h"
#include "win32/installer/GetUpdateThread.h"
#include "win32/installer/ShowcaseHost.h"
#include "win32/installer/ShowcaseMarker.h"
#include "win32/resources/Resources.h"

namespace bailan {
namespace {

constexpr int kStepWidth = 207, kStepHeight = 22;
constexpr int kWindowButtonWidth = 45, kWindowButtonHeight = 20;
constexpr int kStepFinished = 0, kStepInstalling = 1, kStepOptions = 2;
constexpr int kSlotClose = 0, kSlotCloseHighlighted = 1, kSlotMinimise = 2;
constexpr int kBrowserParkedTop = 300;  // page 1 parks the browser below the panel's view
constexpr unsigned kBalloonTimeoutMs = 10000;
constexpr int kBtnCloseRightInset = 3;
constexpr int kTopPanelHeight = 74;
constexpr int kPage1BottomHeight = 89, kPage2BottomHeight = 74, kPage3Height = 56;
constexpr int kProgressBarHeight = 19;
constexpr COLORREF kWhite = RGB(255, 255, 255);
const RECT kBrowserDesignBounds{1032, -48, 1032 + 467, -48 + 212};

// The control's own visibility (the design's Visible), whatever its parents'.
bool Shown(HWND control) {
  return (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void PostQuit() {
  PostQuitMessage(0);
}

// A chosen folder as the edit shows it: no trailing backslash except on a
// drive root, which keeps its own.
std::string FolderText(std::string folder) {
  while (folder.size() > 1 && Cp936FindLast(folder, '\\') == folder.size() - 1 &&
         !(folder.size() == 3 && folder[1] == ':')) {
    folder.pop_back();
  }
  return folder;
}

std::string ChooseFolder(HWND owner, const std::string& title) {
  const std::wstring caption = Wide(title);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;  // the desktop
  info.lpszTitle = caption.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr) return {};
  wchar_t path[MAX_PATH] = {};
  const bool named = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  return named ? FolderText(Narrow(path)) : std::string();
}

void ShellOpen(HWND owner, const std::string& url) {
  ShellExecuteW(owner, L"open", Wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

TMainForm::TMainForm(unsigned showPicInterval)
    : addresses_(BuiltInAddresses()),
      showPicInterval_(showPicInterval),
      windowFont_(CreateUiFont(Cp("宋体"), 12)),
      titleFont_(CreateUiFont(Cp("黑体"), 28, true)),
      contentFont_(CreateUiFont(Cp("宋体"), 17, true, TPitch::Variable)),
      whiteBrush_(CreateSolidBrush(kWhite)) {
  QuitRequest = PostQuit;
  FetchManifestStep = [this] { return FetchManifestFrom(addresses_.Manifest); };
  StartShowcaseLoad = [this] { GetUpdateThread::Run(Handle()); };
  BrowseForFolder = ChooseFolder;
  OpenUrl = ShellOpen;
  LoadPictures();
  CreateHandle({L"BailanMainForm", WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU,
                WS_EX_LAYERED | WS_EX_APPWINDOW, Bounds(0, 0, kWidth, kHeight), nullptr, 0, L"", nullptr});
  SetLayeredWindowAttributes(Handle(), kTransparencyKey, 0, LWA_COLORKEY);
  bigIcon_ = LoadIconPicture(IDP_APP, GetSystemMetrics(SM_CXICON));
  smallIcon_ = LoadIconPicture(IDP_APP, GetSystemMetrics(SM_CXSMICON));
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.Get()));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
  CreateControls();
  FormCreate();
}

TMainForm::~TMainForm() {
  if (Handle() != nullptr) KillTimer(Handle(), kShowPicTimer);
  // The browser first (it talks to its window), then the window with every
  // control, while the pictures and fonts they draw with are still here.
  showcase_.reset();
  DestroyHandle();
}

void TMainForm::LoadPictures() {
  banner_ = LoadPicture(IDP_BANNER);
  install_ = LoadPicture(IDP_INSTALL);
  browse_ = LoadPicture(IDP_BROWSE);
  pathFrame_ = LoadPicture(IDP_PATHFRAME);
  steps_ = LoadPicture(IDP_STEPS);
  windowButtons_ = LoadPicture(IDP_WINDOWBUTTONS);
}

void TMainForm::CreateControls() {
  const HWND form = Handle();
  mainPanel_ = std::make_unique<TPanel>(form, Bounds(1, 1, kWidth - 2, kHeight - 2), kWhite, true);
  const HWND main = mainPanel_->Handle();
  topPanel_ = std::make_unique<TPanel>(main, Bounds(0, 0, kWidth - 2, kTopPanelHeight), kWhite, true);
  middlePanel_ = std::make_unique<TPanel>(main, RECT{}, kWhite, false);
  page1Bottom_ = std::make_unique<TPanel>(main, RECT{}, kBottomColour, true);
  page2Bottom_ = std::make_unique<TPanel>(main, RECT{}, kBottomColour, true);
  page3_ = std::make_unique<TPanel>(main, RECT{}, kBottomColour, true);
  page2Bottom_->SetCaption(Wide(Cp("安装过程可能会耗时几分钟,请耐心等待..")), windowFont_.Get());

  // TopPanel
  const HWND top = topPanel_->Handle();
  title_ = std::make_unique<TLabel>(
      top, 0, Bounds(15, 3, 514, 40), Cp("欢迎试用"),
      TLabelLook{titleFont_.Get(), RGB(85, 85, 85), kWhite, false, false, TLabelMouse::PassThrough});
  content_ = std::make_unique<TLabel>(
      top, 0, Bounds(23, 44, 335, 26), Cp("正在安装 - 柏岚送货单打印软件"),
      TLabelLook{contentFont_.Get(), RGB(120, 120, 120), kWhite, false, true, TLabelMouse::PassThrough});
  steupImage_ = std::make_unique<TPictureBox>(top, Bounds(373, 46, kStepWidth, kStepHeight), kWhite,
                                              TPictureFit::Natural, TPictureMouse::DragSurface);
  btnMin_ = std::make_unique<TPictureButton>(top, idBtnMin,
                                             Bounds(531, 1, kWindowButtonWidth, kWindowButtonHeight), kWhite);
  btnClose_ = std::make_unique<TPictureButton>(
      top, idBtnClose, Bounds(576, 1, kWindowButtonWidth, kWindowButtonHeight), kWhite);
  setup1UI_ =
      CreateControl(L"BUTTON", Wide(Cp("选项")), BS_PUSHBUTTON, Bounds(193, 15, 70, 23), top, idSetup1UI);
  setup2UI_ =
      CreateControl(L"BUTTON", Wide(Cp("安装")), BS_PUSHBUTTON, Bounds(288, 15, 70, 23), top, idSetup2UI);
  setup3UI_ =
      CreateControl(L"BUTTON", Wide(Cp("完成")), BS_PUSHBUTTON, Bounds(386, 17, 70, 23), top, idSetup3UI);
  for (HWND pageButton : {setup1UI_, setup2UI_, setup3UI_}) {
    SendMessageW(pageButton, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.Get()), FALSE);
  }
  btnMin_->SetPicture(&windowButtons_, PictureSlot(kSlotMinimise, kWindowButtonWidth, kWindowButtonHeight));
  btnClose_->SetPicture(&windowButtons_, PictureSlot(kSlotClose, kWindowButtonWidth, kWindowButtonHeight));
  btnClose_->MouseMove = [this] { BtnCloseMouseMove(); };
  btnMin_->MouseMove = [this] { BtnMinMouseMove(); };

  // Page1Bottom
  const HWND page1 = page1Bottom_->Handle();
  label2_ = std::make_unique<TLabel>(
      page1, 0, Bounds(15, 35, 54, 12), Cp("安装目录:"),
      TLabelLook{windowFont_.Get(), RGB(115, 115, 115), kBottomColour, false, false, TLabelMouse::Swallow});
  image3_ = std::make_unique<TPictureBox>(page1, Bounds(72, 31, 321, 23), kBottomColour, TPictureFit::Natural,
                                          TPictureMouse::Stop);
  image3_->SetPicture(&pathFrame_, WholePicture(pathFrame_));
  installPath_ = CreateControl(L"EDIT", Wide(DefaultInstallFolder()), WS_VISIBLE | ES_AUTOHSCROLL,
                               Bounds(76, 36, 292, 14), page1, idInstallPath);
  SendMessageW(installPath_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.Get()), FALSE);
  SetWindowPos(installPath_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  btnSelectPtah_ =
      std::make_unique<TPictureButton>(page1, idBtnSelectPtah, Bounds(392, 31, 58, 23), kBottomColour);
  btnSelectPtah_->SetPicture(&browse_, WholePicture(browse_));
  label3_ = std::make_unique<TLabel>(
      page1, 0, Bounds(15, 71, 108, 12), Cp("安装即代表您已接受"),
      TLabelLook{windowFont_.Get(), RGB(128, 128, 128), kBottomColour, false, false, TLabelMouse::Swallow});
  xukexieyi_ = std::make_unique<TLabel>(
      page1, idxukexieyi, Bounds(129, 71, 48, 12), Cp("许可协议"),
      TLabelLook{windowFont_.Get(), RGB(30, 112, 147), kBottomColour, false, false, TLabelMouse::Link});
  btnSteup_ = std::make_unique<TPictureButton>(page1, idBtnSteup, Bounds(467, 6, 80, 80), kBottomColour);
  btnSteup_->SetPicture(&install_, WholePicture(install_));

  // MiddlePanel
  const HWND middle = middlePanel_->Handle();
  defaultImg_ =
      std::make_unique<TPictureBox>(middle, RECT{}, kWhite, TPictureFit::Stretch, TPictureMouse::DragSurface);
  defaultImg_->SetPicture(&banner_, WholePicture(banner_));
  progressBar_ = std::make_unique<TLedProgressBar>(middle, RECT{});
  showcase_ = TShowcaseHost::Create(
      middle, kBrowserDesignBounds,
      [this](bool topLevel, const std::string* body) { WebBrowser1DocumentComplete(topLevel, body); });

  SetStepPicture(kStepOptions);
  for (TPanel* shown : {mainPanel_.get(), topPanel_.get(), middlePanel_.get(), page1Bottom_.get()}) {
    ShowWindow(shown->Handle(), SW_SHOWNA);
  }
  ArrangeBottomPanels();
}

HWND TMainForm::WebBrowser1() const {
  return showcase_ ? showcase_->Window() : nullptr;
}

std::string TMainForm::InstallPathText() const {
  return WindowText(installPath_);
}

void TMainForm::FormCreate() {
  // Fixed size (WM_GETMINMAXINFO and WM_WINDOWPOSCHANGING keep it), centred
  // on the desktop's work area.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(Handle(), nullptr, work.left + (Width(work) - kWidth) / 2,
               work.top + (Height(work) - kHeight) / 2, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(mainPanel_->Handle(), nullptr, 1, 1, kWidth - 2, kHeight - 2, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(btnClose_->Handle(), nullptr, kWidth - kWindowButtonWidth - kBtnCloseRightInset, 1, 0, 0,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void TMainForm::Show() {
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
  if (shown_) return;  // restoring from the tray is not a new start
  shown_ = true;
  // After the window has painted, so that the warning box stands over it.
  PostMessageW(Handle(), kFormShowSteps, 0, 0);
}

void TMainForm::Close() {
  SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TMainForm::FormShow() {
  if (!TitleText().empty()) title_->SetText(TitleText());
  if (!ProductName().empty()) content_->SetText(Cp("正在安装 - ") + ProductName());
  ShowMessageBox({Handle(), WarningText(), Cp("必读提示"), TMessageIcon::Warning, mbOK, mbOK});
  ShowWindow(progressBar_->Handle(), SW_HIDE);
  ArrangeMiddlePanel();
  StartShowcaseLoad();
}

void TMainForm::FormPaint() {
  TPaintDc paint(Handle());
  RECT whole{0, 0, kWidth, kHeight};
  GetClientRect(Handle(), &whole);
  TBrush key(CreateSolidBrush(kTransparencyKey));
  FillRect(paint.Get(), &whole, key.Get());
  // The rounded rectangle with 2 x 2 corners: four edges that leave the corner
  // pixels in the key's colour, so that they are see-through.
  TPen pen(CreatePen(PS_SOLID, 1, kFrameColor));
  TSelection penSelected(paint.Get(), pen.Get());
  const int right = whole.right - 1, bottom = whole.bottom - 1;
  const POINT edges[][2] = {{{1, 0}, {right, 0}},
                            {{1, bottom}, {right, bottom}},
                            {{0, 1}, {0, bottom}},
                            {{right, 1}, {right, bottom}}};
  for (const auto& edge : edges) {
    MoveToEx(paint.Get(), edge[0].x, edge[0].y, nullptr);
    LineTo(paint.Get(), edge[1].x, edge[1].y);  // the end point is left out
  }
}

bool TMainForm::HandleFormMessage(UINT, WPARAM, LPARAM, LRESULT&) {
  return false;
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleFormMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) == installPath_) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(85, 85, 85));
        SetBkColor(dc, kWhite);
        return reinterpret_cast<LRESULT>(whiteBrush_.Get());
      }
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      FormPaint();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = limits->ptMaxTrackSize = limits->ptMaxSize = POINT{kWidth, kHeight};
      return 0;
    }
    case WM_WINDOWPOSCHANGING: {
      auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!(position->flags & SWP_NOSIZE) && !IsIconic(Handle())) {
        position->cx = kWidth;
        position->cy = kHeight;
      }
      return 0;
    }
    case kSurfaceMouseDown:
      TopPanelMouseDown(wParam);
      return 0;
    case kFormShowSteps:
      FormShow();
      return 0;
    case kNavigateShowcase:
      NavigateShowcase();
      return 0;
    case WM_TIMER:
      if (wParam == kShowPicTimer) {
        ShowPicTimer();
        return 0;
      }
      break;
    case WM_CLOSE:
      if (CloseQuery()) DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      KillTimer(Handle(), kShowPicTimer);
      FormClose();
      QuitRequest();
      return 0;
    default:
      break;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

void TMainForm::OnCommand(int id, int code) {
  if (code != BN_CLICKED && code != STN_CLICKED) return;
  switch (id) {
    case idSetup1UI:
      return Setup1UIClick();
    case idSetup2UI:
      return Setup2UIClick();
    case idSetup3UI:
      return Setup3UIClick();
    case idBtnSteup:
      return BtnSteupClick();
    case idBtnClose:
      return BtnCloseClick();
    case idBtnMin:
      return BtnMinClick();
    case idBtnSelectPtah:
      return BtnSelectPtahClick();
    case idxukexieyi:
      return xukexieyiClick();
    default:
      break;
  }
}

void TMainForm::TopPanelMouseDown(WPARAM buttons) {
  if (buttons & MK_LBUTTON) StartSystemMove();
}

void TMainForm::StartSystemMove() {
  ReleaseCapture();
  SendMessageW(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

// The flash blocks the GUI thread, as the design has it: 50 ms per move event.
void TMainForm::BtnCloseMouseMove() {
  btnClose_->SetPicture(&windowButtons_,
                        PictureSlot(kSlotCloseHighlighted, kWindowButtonWidth, kWindowButtonHeight));
  Sleep(kHoverFlashMs);
  btnClose_->SetPicture(&windowButtons_, PictureSlot(kSlotClose, kWindowButtonWidth, kWindowButtonHeight));
}

void TMainForm::BtnMinMouseMove() {
  Sleep(kHoverFlashMs);
  btnMin_->SetPicture(&windowButtons_, PictureSlot(kSlotMinimise, kWindowButtonWidth, kWindowButtonHeight));
}

void TMainForm::SetStepPicture(int slot) {
  steupImage_->SetPicture(&steps_, PictureSlot(slot, kStepWidth, kStepHeight));
}

// The bottom panels stand at the bottom of MainPanel (page3 fills the space
// below TopPanel when shown); MiddlePanel takes what the visible ones leave.
void TMainForm::ArrangeBottomPanels() {
  RECT client;
  GetClientRect(mainPanel_->Handle(), &client);
  const int width = client.right, bottom = client.bottom;
  int free = bottom;
  const auto place = [&](const TPanel& panel, int height) {
    SetWindowPos(panel.Handle(), nullptr, 0, bottom - height, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (Shown(panel.Handle())) free -= height;
  };
  place(*page1Bottom_, kPage1BottomHeight);
  place(*page2Bottom_, kPage2BottomHeight);
  place(*page3_, Shown(page3_->Handle()) ? bottom - kTopPanelHeight : kPage3Height);
  SetWindowPos(middlePanel_->Handle(), nullptr, 0, kTopPanelHeight, width,
               std::max(0, free - kTopPanelHeight), SWP_NOZORDER | SWP_NOACTIVATE);
  ArrangeMiddlePanel();
}

// DefaultImg fills the middle panel above the progress bar (the whole panel
// while the bar is hidden); the browser does the same while it fills.
void TMainForm::ArrangeMiddlePanel() {
  RECT client;
  GetClientRect(middlePanel_->Handle(), &client);
  RECT above = client;
  if (Shown(progressBar_->Handle())) {
    above.bottom = client.bottom - kProgressBarHeight;
    SetWindowPos(progressBar_->Handle(), nullptr, 0, above.bottom, client.right, kProgressBarHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowPos(defaultImg_->Handle(), nullptr, 0, 0, Width(above), Height(above),
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (browserFills_ && WebBrowser1() != nullptr) {
    SetWindowPos(WebBrowser1(), nullptr, 0, 0, Width(above), Height(above), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TMainForm::SetShowPic(bool on) {
  if (on) {
    SetTimer(Handle(), kShowPicTimer, showPicInterval_, nullptr);
  } else {
    KillTimer(Handle(), kShowPicTimer);
  }
  showPicRunning_ = on;
}

void TMainForm::Setup1UIClick() {
  SetStepPicture(kStepOptions);
  ShowWindow(middlePanel_->Handle(), SW_SHOWNA);
  ShowWindow(page1Bottom_->Handle(), SW_SHOWNA);
  ShowWindow(page2Bottom_->Handle(), SW_HIDE);
  ShowWindow(progressBar_->Handle(), SW_HIDE);
  ShowWindow(defaultImg_->Handle(), SW_SHOWNA);
  if (const HWND browser = WebBrowser1()) {
    ShowWindow(browser, SW_HIDE);
    const RECT at = ChildBounds(browser);
    SetWindowPos(browser, nullptr, at.left, kBrowserParkedTop, 0, 0,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  }
  browserFills_ = false;
  ShowWindow(page3_->Handle(), SW_HIDE);
  ArrangeBottomPanels();
}

void TMainForm::Setup2UIClick() {
  if (ManifestIni() == nullptr) {
    ShowMessageBox({Handle(), Cp("安装过程出错，可能是您未连接网络或拒绝连接网络，请将安全软件关闭后重试！"),
                    Cp("错误"), TMessageIcon::Warning, mbOK, mbOK});
    QuitRequest();
  }
  SetStepPicture(kStepInstalling);
  ShowWindow(middlePanel_->Handle(), SW_SHOWNA);
  ShowWindow(progressBar_->Handle(), SW_SHOWNA);
  if (showcaseReady_) {
    RevealShowcase();
  } else {
    SetShowPic(true);
  }
  ShowWindow(page1Bottom_->Handle(), SW_HIDE);
  ShowWindow(page2Bottom_->Handle(), SW_SHOWNA);
  ShowWindow(page3_->Handle(), SW_HIDE);
  ArrangeBottomPanels();
}

void TMainForm::Setup3UIClick() {
  SetStepPicture(kStepFinished);
  ShowWindow(middlePanel_->Handle(), SW_HIDE);
  ShowWindow(defaultImg_->Handle(), SW_HIDE);
  ShowWindow(progressBar_->Handle(), SW_HIDE);
  ShowWindow(page1Bottom_->Handle(), SW_HIDE);
  ShowWindow(page2Bottom_->Handle(), SW_HIDE);
  ShowWindow(page3_->Handle(), SW_SHOWNA);
  ArrangeBottomPanels();
  if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
}

void TMainForm::RevealShowcase() {
  ShowWindow(defaultImg_->Handle(), SW_HIDE);
  browserFills_ = true;
  if (const HWND browser = WebBrowser1()) ShowWindow(browser, SW_SHOWNA);
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
  ClickButton(setup2UI_);
  ClickBtnPlay();
  EnableProgressTimer();
}

void TMainForm::BtnCloseClick() {
  // Installing is Page2Bottom's own visibility, also while the window sits in the tray.
  if (Shown(page2Bottom_->Handle())) {
    ShowMessageBox({Handle(), Cp("\n\r软件正在安装,关闭将导致安装失败!"), Cp("警告"), TMessageIcon::Warning,
                    mbOK, mbOK});
    return;
  }
  Close();
}

void TMainForm::BtnMinClick() {
  PostMessageW(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ShowTrayBalloon(Cp("提示"), Cp("安装程序最小化在这里，如需打开请双击，安装完软件会自动打开,请耐心等待。"),
                  kBalloonTimeoutMs);
}

void TMainForm::ShowTrayBalloon(const std::string&, const std::string&, unsigned) {}

void TMainForm::BtnSelectPtahClick() {
  const std::string folder = BrowseForFolder(Handle(), Cp("请选择目录"));
  if (!folder.empty()) SetWindowTextCp(installPath_, FolderText(folder));
}

void TMainForm::xukexieyiClick() {
  OpenUrl(Handle(), addresses_.License);
}

void TMainForm::NavigateShowcase() {
  if (showcase_) showcase_->Navigate(addresses_.Showcase);
}

void TMainForm::ShowPicTimer() {
  if (showcaseReady_) {
    SetShowPic(false);
    RevealShowcase();
  } else {
    NavigateShowcase();
  }
}

void TMainForm::WebBrowser1DocumentComplete(bool topLevel, const std::string* body) {
  if (topLevel && body != nullptr && ShowcaseMarkerSeen(*body)) showcaseReady_ = true;
}

}  // namespace bailan

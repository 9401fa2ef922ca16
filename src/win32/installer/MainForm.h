#pragma once

#include <functional>
#include <memory>
#include <string>

#include "win32/common/Fonts.h"
#include "win32/common/Label.h"
#include "win32/common/Panel.h"
#include "win32/common/PictureBox.h"
#include "win32/common/PictureButton.h"
#include "win32/common/Pictures.h"
#include "win32/common/Window.h"
#include "win32/installer/LedProgressBar.h"
#include "win32/installer/ServerAddresses.h"

namespace bailan {

class TShowcaseHost;

// The installer window: a 624 x 360 layered popup with the colour key and a
// one-pixel frame, its panels and controls, three pages switched by the hidden
// page buttons, the install click, the guarded close, minimising with a
// balloon, the folder browser, the licence link and the showcase page in the
// embedded browser (the banner stays where no browser can be made). The receive
// window extends it (TFMain) and supplies, through the virtual hooks, the jobs
// an installation runs, its tray icon and its own controls and messages.
class TMainForm : public TWindow {
 public:
  static constexpr int kWidth = 624;
  static constexpr int kHeight = 360;
  static constexpr unsigned kShowPicInterval = 8000;  // the showcase retry of the plain installer window
  static constexpr unsigned kHoverFlashMs = 50;       // the close picture stays highlighted this long
  static constexpr COLORREF kFrameColor = RGB(18, 102, 152);
  static constexpr COLORREF kTransparencyKey = RGB(128, 0, 0);   // pixels of it are see-through
  static constexpr COLORREF kBottomColour = RGB(130, 210, 249);  // the three bottom panels

  // Control ids of this window; the receive window numbers its own from
  // kFirstDerivedId up.
  enum TControlId : int {
    idSetup1UI = 101,
    idSetup2UI,
    idSetup3UI,
    idBtnSteup,
    idBtnClose,
    idBtnMin,
    idBtnSelectPtah,
    idxukexieyi,
    idInstallPath,
    kFirstDerivedId = 1000,
  };
  // Timer ids of this window; the receive window numbers its own from
  // kFirstDerivedTimer up.
  enum TTimerId : UINT_PTR { kShowPicTimer = 1, kFirstDerivedTimer = 100 };

  // Creates the window (hidden, centred on the desktop) with every control of
  // the design and runs FormCreate. `showPicInterval`: the showcase retry.
  // The window owns its controls and pictures. GUI thread only (COM
  // initialised on it).
  explicit TMainForm(unsigned showPicInterval = kShowPicInterval);
  ~TMainForm() override;

  // Shows the window; the show steps (FormShow) follow once it has painted.
  void Show();
  // Asks the window to close (WM_CLOSE): the close query decides.
  void Close();

  // The page commands, the handlers of the hidden page buttons.
  void Setup1UIClick();
  void Setup2UIClick();
  void Setup3UIClick();
  // The install click: fetch, jobs, page 2, start, progress timer.
  void BtnSteupClick();
  void BtnCloseClick();
  void BtnMinClick();
  void BtnSelectPtahClick();
  void xukexieyiClick();
  void ShowPicTimer();
  // The showcase's top document (or a frame, `topLevel` false) has completed;
  // `body` is the top document's body as CP936, or null when it has none.
  void WebBrowser1DocumentComplete(bool topLevel, const std::string* body);
  // Starts loading the showcase page in the browser.
  void NavigateShowcase();

  // Controls, for the receive window and the tests.
  HWND MainPanel() const { return mainPanel_->Handle(); }
  HWND TopPanel() const { return topPanel_->Handle(); }
  HWND MiddlePanel() const { return middlePanel_->Handle(); }
  HWND Page1Bottom() const { return page1Bottom_->Handle(); }
  HWND Page2Bottom() const { return page2Bottom_->Handle(); }
  HWND page3() const { return page3_->Handle(); }
  HWND InstallPath() const { return installPath_; }
  HWND Setup1UI() const { return setup1UI_; }
  HWND Setup2UI() const { return setup2UI_; }
  HWND Setup3UI() const { return setup3UI_; }
  TLabel& Title() const { return *title_; }
  TLabel& Content() const { return *content_; }
  TLabel& Label2() const { return *label2_; }
  TLabel& Label3() const { return *label3_; }
  TLabel& xukexieyi() const { return *xukexieyi_; }
  TPictureBox& SteupImage() const { return *steupImage_; }
  TPictureBox& DefaultImg() const { return *defaultImg_; }
  TPictureBox& Image3() const { return *image3_; }
  TPictureButton& BtnSteup() const { return *btnSteup_; }
  TPictureButton& BtnClose() const { return *btnClose_; }
  TPictureButton& BtnMin() const { return *btnMin_; }
  TPictureButton& BtnSelectPtah() const { return *btnSelectPtah_; }
  TLedProgressBar& ProgressBar() const { return *progressBar_; }
  // The showcase browser's window; null while no browser could be made.
  HWND WebBrowser1() const;
  // The window font ("宋体", 12 pixels), for the receive window's controls.
  HFONT WindowFont() const { return windowFont_.Get(); }
  // The install path as CP936.
  std::string InstallPathText() const;

  bool ShowcaseReady() const { return showcaseReady_; }
  bool ShowPicRunning() const { return showPicRunning_; }
  const TServerAddresses& Addresses() const { return addresses_; }

  // Where the installer's addresses point (the program may point them at a
  // test server before Show).
  void SetAddresses(TServerAddresses addresses) { addresses_ = std::move(addresses); }

  // What the window does to end the program (PostQuitMessage); tests replace it.
  std::function<void()> QuitRequest;
  // Step 5 of the show steps: hands the first showcase load to the GUI thread.
  // Tests without a browser replace it.
  std::function<void()> StartShowcaseLoad;
  // The manifest fetch of the install click (FetchManifest from the manifest
  // address); tests may replace it.
  std::function<bool()> FetchManifestStep;
  // The folder browser; returns the chosen folder (CP936) or an empty text.
  std::function<std::string(HWND owner, const std::string& title)> BrowseForFolder;
  // The shell's "open" of an address (the licence); tests replace it.
  std::function<void(HWND owner, const std::string& url)> OpenUrl;

 protected:
  // The receive window's part of an installation (nothing in a plain installer window).
  virtual void AddToDownLoadList() {}
  virtual void ClickBtnPlay() {}
  virtual void EnableProgressTimer() {}
  // Shows the tray balloon (CP936 texts); a plain installer window has no tray icon.
  virtual void ShowTrayBalloon(const std::string& title, const std::string& text, unsigned timeoutMs);
  // Hands the window to the platform's move loop (dragging by a surface).
  virtual void StartSystemMove();
  // The close query (WM_CLOSE): true lets the window close. A plain installer
  // window always closes.
  virtual bool CloseQuery() { return true; }
  // The window is being destroyed (after the close query said yes).
  virtual void FormClose() {}
  // Every message reaches the receive window here first; true when it handled
  // it (its answer in `result`). Commands of ids from kFirstDerivedId, timers
  // from kFirstDerivedTimer and private messages from kFirstFormMessage are
  // its own.
  virtual bool HandleFormMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void FormCreate();
  void FormShow();

 private:
  void CreateControls();
  void LoadPictures();
  void OnCommand(int id, int code);
  void FormPaint();
  void TopPanelMouseDown(WPARAM buttons);
  void BtnCloseMouseMove();
  void BtnMinMouseMove();
  void SetStepPicture(int slot);
  void ArrangeMiddlePanel();
  void ArrangeBottomPanels();
  void RevealShowcase();
  void SetShowPic(bool on);

  TServerAddresses addresses_;
  unsigned showPicInterval_;
  TFont windowFont_, titleFont_, contentFont_;
  TPicture banner_, install_, browse_, pathFrame_, steps_, windowButtons_;
  TBrush whiteBrush_;
  TIcon bigIcon_, smallIcon_;  // the application icon of the taskbar and the task switcher
  std::unique_ptr<TPanel> mainPanel_, topPanel_, middlePanel_, page1Bottom_, page2Bottom_, page3_;
  std::unique_ptr<TLabel> title_, content_, label2_, label3_, xukexieyi_;
  std::unique_ptr<TPictureBox> steupImage_, defaultImg_, image3_;
  std::unique_ptr<TPictureButton> btnSteup_, btnClose_, btnMin_, btnSelectPtah_;
  std::unique_ptr<TLedProgressBar> progressBar_;
  std::unique_ptr<TShowcaseHost> showcase_;
  HWND installPath_ = nullptr;  // the controls below are owned by their panels
  HWND setup1UI_ = nullptr, setup2UI_ = nullptr, setup3UI_ = nullptr;
  bool showcaseReady_ = false;
  bool showPicRunning_ = false;
  bool browserFills_ = false;
  bool shown_ = false;
  bool fetching_ = false;  // an install click is waiting for the manifest
};

}  // namespace bailan

#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class TMainForm;
}

namespace bailan {

// The installer window: 624 x 360, frameless, its panels and controls from
// MainForm.ui, three pages switched by the hidden page buttons, the install
// click, the guarded close, minimising with a balloon, the folder browser, the
// licence link, and the showcase page in the embedded browser. The receive
// window extends it (TFMain) and supplies, through the virtual hooks, the jobs
// that an installation runs.
class TMainForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 624;
  static constexpr int kHeight = 360;
  static constexpr int kShowPicInterval = 8000;  // the showcase retry of the plain installer window
  static constexpr unsigned kHoverFlashMs = 50;  // the close picture stays highlighted this long
  static const QColor kFrameColor;               // the one-pixel frame, RGB(18, 102, 152)
  static const QColor kTransparencyKey;          // maroon: pixels of it are see-through

  // A top-level window (or a child of `parent`); Qt owns the controls, this
  // object the generated form. GUI thread only.
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  Ui::TMainForm* Form() const { return ui_.get(); }
  QTimer* ShowPic() const { return showPic_; }
  bool ShowcaseReady() const { return showcaseReady_; }

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
  void WebBrowser1DocumentComplete();
  // Starts loading the showcase page in the browser (the first load comes from
  // GetUpdateThread).
  void NavigateShowcase();

  // What the window does to end the program; tests replace it.
  std::function<void()> QuitRequest;
  // Step 5 of the show steps: starts GetUpdateThread. Tests without a browser replace it.
  std::function<void()> StartShowcaseLoad;
  // The manifest fetch of the install click (FetchManifest); tests point it elsewhere.
  std::function<bool()> FetchManifestStep;
  // The folder browser; returns the chosen folder or an empty text. Tests replace it.
  std::function<QString(QWidget* owner, const QString& title)> BrowseForFolder;
  // Where the showcase page and the licence are loaded from: the global texts
  // ShowcaseURL and LicenseURL; the end-to-end test's program names its own server.
  QString ShowcaseAddress;
  QString LicenseAddress;

 protected:
  // The receive window's part of an installation (nothing in a plain installer window).
  virtual void AddToDownLoadList() {}
  virtual void ClickBtnPlay() {}
  virtual void EnableProgressTimer() {}
  // Shows the tray balloon; a plain installer window has no tray icon.
  virtual void ShowTrayBalloon(const QString& title, const QString& text, int timeoutMs);
  // Hands the window to the platform's move loop (dragging by a surface).
  virtual void StartSystemMove();

  void FormCreate();
  void FormShow();
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ConnectHandlers();
  void SetupDragSurfaces();
  void TopPanelMouseDown(QMouseEvent* event);
  void BtnCloseMouseMove();
  void BtnMinMouseMove();
  void FitInstallPathFont();
  void SetStepPicture(int slot);
  void ArrangeMiddlePanel();
  void RevealShowcase();

  std::unique_ptr<Ui::TMainForm> ui_;
  QTimer* showPic_;
  bool showcaseReady_ = false;
  bool browserFills_ = false;
  bool shown_ = false;
  bool fetching_ = false;  // an install click is waiting for the manifest
};

}  // namespace bailan

#pragma once

#include <QString>
#include <QVariant>
#include <QtPlugin>
#include <functional>

class QUrl;
class QWidget;

namespace bailan {

// A web view of the browser engine: a widget that loads pages and runs scripts
// in its top-level document. GUI thread only.
class TWebView {
 public:
  virtual ~TWebView() = default;

  // The view itself as a widget.
  virtual QWidget* Widget() = 0;
  // Starts loading `url`, replacing any load in progress.
  virtual void Load(const QUrl& url) = 0;
  // Runs `script` in the top-level document; `done` receives its result on the
  // GUI thread.
  virtual void RunScript(const QString& script, std::function<void(const QVariant&)> done) = 0;
};

// The browser engine, offered by the module that holds it (WebEngineModule.h):
// the program does not link it, so that it is loaded only when the first page
// is asked for, after the window has been painted.
class TWebEngine {
 public:
  virtual ~TWebEngine() = default;

  // A new view, a child of `parent`, which owns it. `loaded` is told the end
  // of each top-level load: true when the document loaded. GUI thread only.
  virtual TWebView* CreateView(QWidget* parent, std::function<void(bool ok)> loaded) = 0;
};

}  // namespace bailan

#define BAILAN_WEB_ENGINE_IID "bailan-setup.TWebEngine/1"
Q_DECLARE_INTERFACE(bailan::TWebEngine, BAILAN_WEB_ENGINE_IID)

#include "qt/installer/webengine/WebEnginePlugin.h"

#include <QUrl>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace bailan {
namespace {

class TEngineView : public QWebEngineView, public TWebView {
 public:
  // Owned by `parent`. GUI thread only.
  TEngineView(QWidget* parent, std::function<void(bool ok)> loaded) : QWebEngineView(parent) {
    // The page shows without scroll bars, however tall or wide it is: the
    // engine ignores the body's "scroll" attribute.
    settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    connect(this, &QWebEngineView::loadFinished, this, std::move(loaded));
  }

  QWidget* Widget() override { return this; }
  void Load(const QUrl& url) override { load(url); }
  void RunScript(const QString& script, std::function<void(const QVariant&)> done) override {
    page()->runJavaScript(script, std::move(done));
  }
};

}  // namespace

TWebView* TWebEnginePlugin::CreateView(QWidget* parent, std::function<void(bool ok)> loaded) {
  return new TEngineView(parent, std::move(loaded));
}

}  // namespace bailan

#include "qt/installer/ShowcaseView.h"

#include <QPointer>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace bailan {

TShowcaseView::TShowcaseView(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

void TShowcaseView::Navigate(const QString& url) {
  if (view_ == nullptr) {
    view_ = new QWebEngineView(this);
    view_->setFocusPolicy(Qt::NoFocus);
    // The page shows without scroll bars, however tall or wide it is: the
    // engine ignores the body's "scroll" attribute that the document-complete
    // handler still sets.
    view_->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    layout()->addWidget(view_);
    connect(view_, &QWebEngineView::loadFinished, this, [this](bool ok) {
      if (ok) emit documentComplete();
    });
  }
  view_->load(QUrl(url));
}

void TShowcaseView::RunScript(const QString& script, std::function<void(const QVariant&)> done) {
  if (view_ == nullptr) return;
  QPointer<TShowcaseView> guard(this);
  view_->page()->runJavaScript(script, [guard, done = std::move(done)](const QVariant& result) {
    if (guard) done(result);
  });
}

}  // namespace bailan

#include "qt/installer/ShowcaseView.h"

#include <QPointer>
#include <QUrl>
#include <QVBoxLayout>

#include "qt/installer/WebEngine.h"
#include "qt/installer/WebEngineModule.h"

namespace bailan {

TShowcaseView::TShowcaseView(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

void TShowcaseView::Navigate(const QString& url) {
  if (view_ == nullptr) {
    TWebEngine* engine = WebEngine();
    if (engine == nullptr) return;
    view_ = engine->CreateView(this, [this](bool ok) {
      if (ok) emit documentComplete();
    });
    view_->Widget()->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(view_->Widget());
  }
  view_->Load(QUrl(url));
}

void TShowcaseView::RunScript(const QString& script, std::function<void(const QVariant&)> done) {
  if (view_ == nullptr) return;
  QPointer<TShowcaseView> guard(this);
  view_->RunScript(script, [guard, done = std::move(done)](const QVariant& result) {
    if (guard) done(result);
  });
}

}  // namespace bailan

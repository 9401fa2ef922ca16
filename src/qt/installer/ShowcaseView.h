#pragma once

#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>

namespace bailan {

class TWebView;

// The installer's embedded browser. The browser engine is loaded and started
// only when the first page is asked for (WebEngineModule.h), so that a window
// that never loads a page does not pay for it and no window waits for it to be
// painted. GUI thread only.
class TShowcaseView : public QWidget {
  Q_OBJECT

 public:
  // Owned by `parent`.
  explicit TShowcaseView(QWidget* parent = nullptr);

  // Starts loading `url`, replacing any load in progress. Without a browser
  // engine nothing loads.
  void Navigate(const QString& url);
  // Runs `script` in the top-level document; `done` receives its result on the
  // GUI thread, unless this view is gone by then. Nothing runs before the
  // first Navigate.
  void RunScript(const QString& script, std::function<void(const QVariant&)> done);

 signals:
  // The top-level document has loaded (a failed load is not reported).
  void documentComplete();

 private:
  TWebView* view_ = nullptr;  // owned by this widget; made by the first Navigate
};

}  // namespace bailan

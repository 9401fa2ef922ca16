#pragma once

#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>

class QWebEngineView;

namespace bailan {

// The installer's embedded browser. The web engine is started only when the
// first page is asked for, so a window that never loads a page does not pay for
// it. GUI thread only.
class TShowcaseView : public QWidget {
  Q_OBJECT

 public:
  // Owned by `parent`.
  explicit TShowcaseView(QWidget* parent = nullptr);

  // Starts loading `url`, replacing any load in progress.
  void Navigate(const QString& url);
  // Runs `script` in the top-level document; `done` receives its result on the
  // GUI thread, unless this view is gone by then.
  void RunScript(const QString& script, std::function<void(const QVariant&)> done);
  // The web view; null before the first Navigate.
  QWebEngineView* View() const { return view_; }

 signals:
  // The top-level document has loaded (a failed load is not reported).
  void documentComplete();

 private:
  QWebEngineView* view_ = nullptr;  // owned by this widget
};

}  // namespace bailan

#pragma once

#include <QObject>

#include "qt/installer/WebEngine.h"

namespace bailan {

// The module bailan-webengine: the browser engine over Qt WebEngine.
class TWebEnginePlugin : public QObject, public TWebEngine {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID BAILAN_WEB_ENGINE_IID)
  Q_INTERFACES(bailan::TWebEngine)

 public:
  TWebView* CreateView(QWidget* parent, std::function<void(bool ok)> loaded) override;
};

}  // namespace bailan

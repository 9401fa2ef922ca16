#include "qt/installer/WebEngineModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPluginLoader>
#include <QStringList>
#include <QtDebug>

#include "qt/installer/GlobalShareContext.h"
#include "qt/installer/WebEngine.h"

namespace bailan {
namespace {

const char* const kModuleName = "bailan-webengine.so";

// Beside the program first, as it is deployed; then the build's own copy,
// which the test programs in other folders load.
QStringList ModuleCandidates() {
  return {QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kModuleName),
          QStringLiteral(BAILAN_WEBENGINE_BUILD_PATH)};
}

TWebEngine* LoadWebEngine() {
  // Qt WebEngine shares its textures through the process's global share
  // context, which must exist before the engine's first view.
  if (!EnsureGlobalShareContext()) {
    qWarning("The showcase browser is not available: no OpenGL context could be created");
    return nullptr;
  }
  QStringList errors;
  for (const QString& path : ModuleCandidates()) {
    if (!QFileInfo::exists(path)) continue;
    // The module stays loaded when the loader goes (it is never unloaded): the
    // engine's threads run until the process ends.
    QPluginLoader loader(path);
    if (auto* engine = qobject_cast<TWebEngine*>(loader.instance())) return engine;
    errors << loader.errorString();
  }
  if (errors.isEmpty()) errors << QStringLiteral("%1 not found").arg(QLatin1String(kModuleName));
  qWarning("The showcase browser is not available: %s", qPrintable(errors.join(QStringLiteral("; "))));
  return nullptr;
}

}  // namespace

TWebEngine* WebEngine() {
  static TWebEngine* const engine = LoadWebEngine();
  return engine;
}

}  // namespace bailan

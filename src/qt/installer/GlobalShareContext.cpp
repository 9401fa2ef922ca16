#include "qt/installer/GlobalShareContext.h"

#include <QCoreApplication>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <memory>

QT_BEGIN_NAMESPACE
// Qt GUI's setter of the global share context: exported, but declared in no
// public header (Qt WebEngine declares it the same way).
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace bailan {
namespace {

std::unique_ptr<QOpenGLContext>& OwnContext() {
  static std::unique_ptr<QOpenGLContext> context;
  return context;
}

// Run by the application object's destructor while the platform is still there.
void DestroyOwnContext() {
  if (QOpenGLContext::globalShareContext() == OwnContext().get()) qt_gl_set_global_share_context(nullptr);
  OwnContext().reset();
}

}  // namespace

bool EnsureGlobalShareContext() {
  if (QOpenGLContext::globalShareContext() != nullptr) return true;
  auto context = std::make_unique<QOpenGLContext>();
  context->setFormat(QSurfaceFormat::defaultFormat());
  if (!context->create()) return false;
  OwnContext() = std::move(context);
  qt_gl_set_global_share_context(OwnContext().get());
  qAddPostRoutine(DestroyOwnContext);
  return true;
}

}  // namespace bailan

#include "qt/installer/program/Program.h"

#include <QApplication>
#include <cstdlib>

#include "platform/Launcher.h"
#include "qt/dialogs/ResReceive.h"
#include "qt/installer/Application.h"
#include "qt/receive/FMain.h"

namespace bailan {

int RunInstaller(int argc, char** argv, const std::function<void(TFMain&)>& prepare) {
  // The web engine's sandbox refuses to start for the super-user.
  if (RunningAsSuperUser()) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  SetupApplication(app);
  TFMain FMain;
  TFResReceive FResReceive(FMain.Lists(), &FMain);  // created hidden
  if (prepare) prepare(FMain);
  FMain.show();
  return QApplication::exec();
}

}  // namespace bailan

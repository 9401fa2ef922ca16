#include "qt/installer/program/Program.h"

#include <QApplication>
#include <cstdlib>

#include "platform/Launcher.h"
#include "qt/dialogs/ResReceive.h"
#include "qt/installer/Application.h"
#include "qt/receive/FMain.h"

namespace bailan {

int RunInstaller(int argc, char** argv, const TInstallerHooks& hooks) {
  const auto step = [&hooks](const char* name) {
    if (hooks.step) hooks.step(name);
  };
  // The web engine's sandbox refuses to start for the super-user. (The engine
  // itself is loaded with the showcase's first page, WebEngineModule.h.)
  if (RunningAsSuperUser()) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  QApplication app(argc, argv);
  step("application");
  SetupApplication(app);
  step("setup");
  TFMain FMain;
  step("window");
  TFResReceive FResReceive(FMain.Lists(), &FMain);  // created hidden
  step("dialog");
  if (hooks.prepare) hooks.prepare(FMain);
  FMain.show();
  step("show");
  return QApplication::exec();
}

}  // namespace bailan

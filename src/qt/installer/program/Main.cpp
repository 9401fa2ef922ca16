// bailan-setup: the online installer. No arguments are read.
#include <QApplication>
#include <cstdlib>

#include "qt/dialogs/ResReceive.h"
#include "qt/installer/Fonts.h"
#include "qt/installer/QtText.h"
#include "platform/Launcher.h"
#include "qt/receive/FMain.h"

int main(int argc, char** argv) {
  // The web engine's sandbox refuses to start for the super-user.
  if (bailan::RunningAsSuperUser()) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setApplicationName(bailan::Ui("柏岚软件"));
  QApplication::setApplicationDisplayName(bailan::Ui("柏岚软件"));
  bailan::InstallFontSubstitutions();
  bailan::TFMain FMain;
  bailan::TFResReceive FResReceive(FMain.Lists(), &FMain);  // created hidden
  FMain.show();
  return QApplication::exec();
}

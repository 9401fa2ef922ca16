// The main of every window test suite: one QApplication for the whole run, on the
// offscreen platform unless the caller chose another (the showcase tests run under
// a real X server and set QT_QPA_PLATFORM=xcb themselves).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // Qt WebEngine needs it before the app
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

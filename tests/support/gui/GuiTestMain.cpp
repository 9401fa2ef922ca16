// The main of every window test suite: one QApplication for the whole run, on the
// offscreen platform unless the caller chose another (the showcase tests run under
// a real X server and set QT_QPA_PLATFORM=xcb themselves).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // No Qt::AA_ShareOpenGLContexts: as in the program, the showcase's browser
  // engine makes the shared OpenGL context itself when it is first loaded.
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

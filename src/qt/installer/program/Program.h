#pragma once

#include <functional>

namespace bailan {

class TFMain;

// What a test build of the program adds to the installer's start; both may be empty.
struct TInstallerHooks {
  // Adjusts the main window before it is shown.
  std::function<void(TFMain&)> prepare;
  // Told each start-up step as it is done: "application" (the application
  // object), "setup" (title, translations, fonts), "window" (the main window),
  // "dialog" (the hidden resource selection dialog), "show" (the show request).
  std::function<void(const char* step)> step;
};

// Runs the installer: the application object, the main window and the hidden
// resource selection dialog, then the event loop until the main window closes.
// Returns the event loop's exit code. Main thread only.
int RunInstaller(int argc, char** argv, const TInstallerHooks& hooks);

}  // namespace bailan

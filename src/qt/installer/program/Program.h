#pragma once

#include <functional>

namespace bailan {

class TFMain;

// Runs the installer: the application object, the main window and the hidden
// resource selection dialog, then the event loop until the main window closes.
// `prepare`, when given, adjusts the main window before it is shown. Returns
// the event loop's exit code. Main thread only.
int RunInstaller(int argc, char** argv, const std::function<void(TFMain&)>& prepare);

}  // namespace bailan

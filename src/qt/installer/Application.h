#pragma once

class QApplication;

namespace bailan {

// Prepares the application object as the installer runs it: the application
// title "柏岚软件" (its name only: a display name would be appended to every
// window caption by the platform), Qt's own Chinese texts for the dialogs and
// menus that Qt draws, and the window fonts. Called once, right after `app` is
// constructed, on the GUI thread; the translator belongs to `app`.
void SetupApplication(QApplication& app);

}  // namespace bailan

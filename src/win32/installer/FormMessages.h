#pragma once

#include "win32/common/Controls.h"

namespace bailan {

// The installer window's private messages (below kFirstFormMessage, which is
// the receive window's).
enum TInstallerMessage : UINT {
  kFormShowSteps = WM_APP + 8,     // the show steps, posted once the window has painted
  kNavigateShowcase = WM_APP + 9,  // start loading the showcase page (from GetUpdateThread)
};

}  // namespace bailan

#pragma once

#include <windows.h>

namespace bailan {

// Private messages between the controls of our own and the top-level window
// that holds them.
enum TFormMessage : UINT {
  // A drag surface was pressed: wParam the MK_* buttons held, lParam 0.
  kSurfaceMouseDown = WM_APP + 1,
  // The draw request of an owner-drawn control, sent back to the control by
  // the panel that received it: lParam the DRAWITEMSTRUCT.
  kReflectedDrawItem = WM_APP + 2,
  // The first free number for a window class's own messages.
  kFirstFormMessage = WM_APP + 16,
};

}  // namespace bailan

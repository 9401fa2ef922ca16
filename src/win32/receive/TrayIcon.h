#pragma once

#include <windows.h>

#include <string>

#include "win32/common/Handles.h"

namespace bailan {

// A notification-area icon of a window (Shell_NotifyIconW): present from its
// construction to its destruction, with a tooltip and no menu; the shell reports
// mouse events on it to the owner as `callbackMessage` (lParam the mouse
// message). Balloons are shown through it.
class TTrayIcon {
 public:
  static constexpr unsigned kIconId = 1;

  // Adds the icon for `owner` (which outlives it); `icon` is owned from here,
  // `tooltip` is CP936. Where the shell has no notification area nothing is
  // shown and Present() is false. GUI thread only.
  TTrayIcon(HWND owner, UINT callbackMessage, TIcon icon, const std::string& tooltip);
  ~TTrayIcon();
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  bool Present() const { return present_; }
  const std::string& Tooltip() const { return tooltip_; }
  // Shows an information balloon (CP936 texts), replacing one still showing;
  // false when there is no icon to show it from.
  bool ShowBalloon(const std::string& title, const std::string& text, unsigned timeoutMs);

 private:
  NOTIFYICONDATAW Data() const;

  HWND owner_;
  TIcon icon_;
  std::string tooltip_;
  bool present_ = false;
};

}  // namespace bailan

#pragma once

#include <string>

#include "win32/common/Handles.h"
#include "win32/common/Window.h"

namespace bailan {

// Messages that a panel passes up to the top-level window, so that one switch
// there sees every command and notification of its controls.
bool IsForwardedToForm(UINT message);

// A plain coloured panel. Commands, notifications and colour requests of its
// controls go up to the top-level window; owner-draw requests go back to the
// control that asked. A drag surface reports presses to the top-level window
// (kSurfaceMouseDown). An optional caption is drawn centred.
class TPanel : public TWindow {
 public:
  // A hidden child of `parent` (owned by this object). GUI thread only.
  TPanel(HWND parent, RECT bounds, COLORREF colour, bool dragSurface);

  COLORREF Colour() const { return colour_; }
  void SetCaption(std::wstring caption, HFONT font);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  COLORREF colour_;
  TBrush brush_;
  bool dragSurface_;
  std::wstring caption_;
  HFONT captionFont_ = nullptr;  // owned by the form
};

}  // namespace bailan

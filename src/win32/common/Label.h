#pragma once

#include <string>

#include "win32/common/Window.h"

namespace bailan {

// How a label takes the mouse.
enum class TLabelMouse {
  PassThrough,  // presses fall through to the panel beneath (a drag surface)
  Swallow,      // presses stop here and do nothing
  Link,         // a left press is a click (WM_COMMAND STN_CLICKED to the form); hand cursor
};

// A text drawn in its font and colour on its panel's colour: horizontally left
// or centred, vertically centred, wrapped at words when asked.
struct TLabelLook {
  HFONT Font = nullptr;  // owned by the form
  COLORREF TextColour = 0;
  COLORREF Background = RGB(255, 255, 255);
  bool Centred = false;
  bool WordWrap = false;
  TLabelMouse Mouse = TLabelMouse::PassThrough;
};

class TLabel : public TWindow {
 public:
  // A visible child of `parent` with control id `id`, owned by this object.
  // `text` in CP936. GUI thread only.
  TLabel(HWND parent, int id, RECT bounds, const std::string& text, const TLabelLook& look);

  void SetText(const std::string& cp936);
  std::string Text() const;
  const TLabelLook& Look() const { return look_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  TLabelLook look_;
};

}  // namespace bailan

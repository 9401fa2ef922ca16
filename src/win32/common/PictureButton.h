#pragma once

#include <windows.h>

#include <functional>

#include "win32/common/Pictures.h"

namespace bailan {

// A push button (BUTTON, BS_OWNERDRAW) that shows a picture on its panel's
// colour, with the hand cursor. Its click reaches the form as WM_COMMAND
// BN_CLICKED with its id (BM_CLICK works as on any button). Every mouse move
// over it calls MouseMove (the hover flash). The parent window destroys the
// button; this object only watches it through a subclass and can go first.
class TPictureButton {
 public:
  // A visible child of `parent`; `picture` is the form's and must outlive the
  // button. GUI thread only.
  TPictureButton(HWND parent, int id, RECT bounds, COLORREF background);
  ~TPictureButton();
  TPictureButton(const TPictureButton&) = delete;
  TPictureButton& operator=(const TPictureButton&) = delete;

  HWND Handle() const { return hwnd_; }
  // Shows `source` of `picture` and repaints at once.
  void SetPicture(const TPicture* picture, RECT source);
  const TPicture* Picture() const { return picture_; }
  RECT Source() const { return source_; }

  std::function<void()> MouseMove;

 private:
  static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  void Draw(const DRAWITEMSTRUCT& item) const;

  HWND hwnd_ = nullptr;
  COLORREF background_;
  const TPicture* picture_ = nullptr;
  RECT source_{};
};

}  // namespace bailan

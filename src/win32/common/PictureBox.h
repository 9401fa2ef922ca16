#pragma once

#include "win32/common/Pictures.h"
#include "win32/common/Window.h"

namespace bailan {

// A picture on its panel's colour: a slot of a picture (or the whole), drawn at
// its size or stretched to the control. A drag surface reports presses to the
// top-level window (kSurfaceMouseDown); otherwise they stop here.
enum class TPictureFit { Natural, Stretch };
enum class TPictureMouse { DragSurface, Stop };

class TPictureBox : public TWindow {
 public:
  // A visible child of `parent`, owned by this object; `picture` is the form's
  // and must outlive it. GUI thread only.
  TPictureBox(HWND parent, RECT bounds, COLORREF background, TPictureFit fit, TPictureMouse mouse);

  // Shows `source` of `picture` and repaints at once.
  void SetPicture(const TPicture* picture, RECT source);
  const TPicture* Picture() const { return picture_; }
  RECT Source() const { return source_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  COLORREF background_;
  TPictureFit fit_;
  TPictureMouse mouse_;
  const TPicture* picture_ = nullptr;
  RECT source_{};
};

}  // namespace bailan

#pragma once

#include <memory>

#include "win32/common/Window.h"
#include "win32/receive/GridLayout.h"

namespace bailan {

class TDownloadJob;

// A job's progress gauge over its grid row: a child window of the receiving grid
// that paints the job's gauge model (its colours, range, progress and the
// percentage as text). It keeps the job alive while it exists.
class TGaugeWindow : public TWindow {
 public:
  // A hidden child of `grid` of zero size; owns its HWND. GUI thread only.
  TGaugeWindow(std::shared_ptr<TDownloadJob> job, HWND grid);

  const std::shared_ptr<TDownloadJob>& Job() const { return job_; }
  // Places the window (and the model) at `rect` and shows it, or hides both.
  void Place(const TCellRect& rect);
  void Conceal();
  // Draws the gauge as it shows now into `dc`.
  void PaintTo(HDC dc) const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::shared_ptr<TDownloadJob> job_;
};

}  // namespace bailan

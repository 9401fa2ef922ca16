#include "win32/receive/GaugeWindow.h"

#include <algorithm>
#include <string>
#include <utility>

#include "engine/DownloadJob.h"
#include "win32/common/Handles.h"

namespace bailan {

TGaugeWindow::TGaugeWindow(std::shared_ptr<TDownloadJob> job, HWND grid) : job_(std::move(job)) {
  job_->Gauge.Left = job_->Gauge.Top = job_->Gauge.Width = job_->Gauge.Height = 0;
  CreateHandle({L"TGauge", WS_CHILD, 0, RECT{}, grid, 0, L"", nullptr});
}

LRESULT TGaugeWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // a click on the gauge is a click on its row of the grid
    case WM_PAINT: {
      TPaintDc paint(Handle());
      PaintTo(paint.Get());
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintTo(reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      return TWindow::HandleMessage(message, wParam, lParam);
  }
}

void TGaugeWindow::Place(const TCellRect& rect) {
  TGauge& gauge = job_->Gauge;
  gauge.Left = rect.Left;
  gauge.Top = rect.Top;
  gauge.Width = rect.Width();
  gauge.Height = rect.Height();
  gauge.Visible = true;
  SetWindowPos(Handle(), nullptr, rect.Left, rect.Top, rect.Width(), rect.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TGaugeWindow::Conceal() {
  job_->Gauge.Visible = false;
  ShowWindow(Handle(), SW_HIDE);
}

void TGaugeWindow::PaintTo(HDC dc) const {
  const TGauge& gauge = job_->Gauge;
  RECT client;
  GetClientRect(Handle(), &client);
  const std::int64_t range = std::max<std::int64_t>(std::int64_t{gauge.MaxValue} - gauge.MinValue, 0);
  const std::int64_t done = std::clamp<std::int64_t>(std::int64_t{gauge.Progress} - gauge.MinValue, 0, range);
  const int percent = range > 0 ? static_cast<int>(done * 100 / range) : 0;
  const int filled = range > 0 ? static_cast<int>(done * client.right / range) : 0;
  TSelection brush(dc, GetStockObject(DC_BRUSH));
  SetDCBrushColor(dc, gauge.BackColor);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  const RECT bar{0, 0, filled, client.bottom};
  SetDCBrushColor(dc, gauge.ForeColor);
  FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  if (!gauge.ShowText) return;
  const std::wstring text = std::to_wstring(percent) + L"%";
  const auto font = reinterpret_cast<HFONT>(SendMessageW(GetParent(Handle()), WM_GETFONT, 0, 0));
  TSelection selected(dc, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace bailan

#include "win32/receive/GaugeWindow.h"

#include <algorithm>
#include <string>
#include <utility>

#include "engine/DownloadJob.h"

namespace bailan {
namespace {

constexpr wchar_t kClassName[] = L"TGauge";

void RegisterGaugeClass(WNDPROC procedure) {
  static const ATOM atom = [procedure] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass);
  }();
  (void)atom;
}

}  // namespace

TGaugeWindow::TGaugeWindow(std::shared_ptr<TDownloadJob> job, HWND grid) : job_(std::move(job)) {
  RegisterGaugeClass(&TGaugeWindow::WindowProc);
  job_->Gauge.Left = job_->Gauge.Top = job_->Gauge.Width = job_->Gauge.Height = 0;
  hwnd_ = CreateWindowExW(0, kClassName, L"", WS_CHILD, 0, 0, 0, 0, grid, nullptr, GetModuleHandleW(nullptr),
                          this);
}

TGaugeWindow::~TGaugeWindow() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

LRESULT CALLBACK TGaugeWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* gauge = static_cast<TGaugeWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(gauge));
  }
  auto* gauge = reinterpret_cast<TGaugeWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (gauge != nullptr) {
    switch (message) {
      case WM_NCDESTROY:
        gauge->hwnd_ = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
      case WM_ERASEBKGND:
        return 1;
      case WM_NCHITTEST:
        return HTTRANSPARENT;  // a click on the gauge is a click on its row of the grid
      case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        gauge->PaintTo(dc);
        EndPaint(hwnd, &paint);
        return 0;
      }
      case WM_PRINTCLIENT:
        gauge->PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void TGaugeWindow::Place(const TCellRect& rect) {
  TGauge& gauge = job_->Gauge;
  gauge.Left = rect.Left;
  gauge.Top = rect.Top;
  gauge.Width = rect.Width();
  gauge.Height = rect.Height();
  gauge.Visible = true;
  SetWindowPos(hwnd_, nullptr, rect.Left, rect.Top, rect.Width(), rect.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TGaugeWindow::Conceal() {
  job_->Gauge.Visible = false;
  ShowWindow(hwnd_, SW_HIDE);
}

void TGaugeWindow::PaintTo(HDC dc) const {
  const TGauge& gauge = job_->Gauge;
  RECT client;
  GetClientRect(hwnd_, &client);
  const std::int64_t range = std::int64_t{gauge.MaxValue} - gauge.MinValue;
  const std::int64_t done = std::clamp<std::int64_t>(std::int64_t{gauge.Progress} - gauge.MinValue, 0,
                                                     std::max<std::int64_t>(range, 0));
  const int percent = range > 0 ? static_cast<int>(done * 100 / range) : 0;
  const int filled = range > 0 ? static_cast<int>(done * client.right / range) : 0;
  SetDCBrushColor(dc, gauge.BackColor);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  const RECT bar{0, 0, filled, client.bottom};
  SetDCBrushColor(dc, gauge.ForeColor);
  FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  if (!gauge.ShowText) return;
  const std::wstring text = std::to_wstring(percent) + L"%";
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetParent(hwnd_), WM_GETFONT, 0, 0));
  HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (old != nullptr) SelectObject(dc, old);
}

}  // namespace bailan

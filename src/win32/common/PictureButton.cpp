#include "win32/common/PictureButton.h"

#include <commctrl.h>

#include "win32/common/Controls.h"
#include "win32/common/MessageBox.h"
#include "win32/common/Window.h"

namespace bailan {
namespace {

constexpr UINT_PTR kSubclassId = 1;

}  // namespace

TPictureButton::TPictureButton(HWND parent, int id, RECT bounds, COLORREF background)
    : background_(background) {
  hwnd_ = CreateControl(L"BUTTON", L"", WS_VISIBLE | WS_CLIPSIBLINGS | BS_OWNERDRAW, bounds, parent, id);
  SetWindowSubclass(hwnd_, &TPictureButton::Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

TPictureButton::~TPictureButton() {
  if (hwnd_ != nullptr) RemoveWindowSubclass(hwnd_, &TPictureButton::Subclass, kSubclassId);
}

void TPictureButton::SetPicture(const TPicture* picture, RECT source) {
  picture_ = picture;
  source_ = source;
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TPictureButton::Draw(const DRAWITEMSTRUCT& item) const {
  TBrush background(CreateSolidBrush(background_));
  FillRect(item.hDC, &item.rcItem, background.Get());
  if (picture_ == nullptr) return;
  const RECT target{0, 0, source_.right - source_.left, source_.bottom - source_.top};
  DrawPicture(item.hDC, *picture_, source_, target);
}

LRESULT CALLBACK TPictureButton::Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data) {
  auto* self = reinterpret_cast<TPictureButton*>(data);
  try {
    switch (message) {
      case kReflectedDrawItem:
        self->Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      case WM_MOUSEMOVE:
        if (self->MouseMove) self->MouseMove();
        break;
      case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &TPictureButton::Subclass, kSubclassId);
        self->hwnd_ = nullptr;
        break;
      default:
        break;
    }
  } catch (const std::exception& error) {
    ShowErrorReport(GetAncestor(hwnd, GA_ROOT), error);
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace bailan

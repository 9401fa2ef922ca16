#include "win32/common/Window.h"

#include <stdexcept>
#include <utility>

#include "win32/common/MessageBox.h"
#include "win32/common/WideText.h"

namespace bailan {
namespace {

void RegisterClassOnce(const TWindowSpec& spec, WNDPROC procedure) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, spec.ClassName, &existing)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = spec.Cursor != nullptr ? spec.Cursor : LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = spec.ClassName;
  if (RegisterClassExW(&windowClass) == 0) throw std::runtime_error("RegisterClassExW failed");
}

}  // namespace

TWindow::~TWindow() {
  DestroyHandle();
}

void TWindow::DestroyHandle() {
  if (hwnd_ == nullptr) return;
  // No message may reach this object once its destruction has begun.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(std::exchange(hwnd_, nullptr));
}

void TWindow::CreateHandle(const TWindowSpec& spec) {
  RegisterClassOnce(spec, &TWindow::Trampoline);
  const RECT& r = spec.Bounds;
  CreateWindowExW(spec.ExStyle, spec.ClassName, spec.Text.c_str(), spec.Style, r.left, r.top, Width(r),
                  Height(r), spec.Parent,
                  (spec.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.Id)) : nullptr,
                  GetModuleHandleW(nullptr), this);
  if (hwnd_ == nullptr) throw std::runtime_error("CreateWindowExW failed");
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK TWindow::Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    ShowErrorReport(GetAncestor(hwnd, GA_ROOT), error);
  }
  return 0;
}

HWND CreateControl(const wchar_t* className, std::wstring_view text, DWORD style, RECT bounds, HWND parent,
                   int id, DWORD exStyle) {
  const std::wstring caption(text);
  HWND control =
      CreateWindowExW(exStyle, className, caption.c_str(), style | WS_CHILD, bounds.left, bounds.top,
                      Width(bounds), Height(bounds), parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) throw std::runtime_error("CreateWindowExW failed for a control");
  return control;
}

RECT Bounds(int left, int top, int width, int height) {
  return RECT{left, top, left + width, top + height};
}

int Width(const RECT& rect) {
  return rect.right - rect.left;
}

int Height(const RECT& rect) {
  return rect.bottom - rect.top;
}

RECT ChildBounds(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return Narrow(text);
}

void SetWindowTextCp(HWND window, std::string_view cp936) {
  SetWindowTextW(window, Wide(cp936).c_str());
}

void ClickButton(HWND button) {
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

}  // namespace bailan

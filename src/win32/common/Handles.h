#pragma once

#include <windows.h>

#include <utility>

namespace bailan {

// An owned Windows handle released by `Release` (DeleteObject, DestroyIcon,
// DestroyMenu, DeleteDC) when the owner goes. Move-only; the null handle owns
// nothing.
template <typename THandleType, auto Release>
class TOwned {
 public:
  TOwned() = default;
  explicit TOwned(THandleType handle) : handle_(handle) {}
  ~TOwned() { Reset(); }
  TOwned(TOwned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  TOwned& operator=(TOwned&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  TOwned(const TOwned&) = delete;
  TOwned& operator=(const TOwned&) = delete;

  THandleType Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(THandleType handle = nullptr) {
    if (handle_ != nullptr) Release(handle_);
    handle_ = handle;
  }
  // Gives the handle up without releasing it.
  THandleType Detach() { return std::exchange(handle_, nullptr); }

 private:
  THandleType handle_ = nullptr;
};

using TBitmap = TOwned<HBITMAP, &DeleteObject>;
using TFont = TOwned<HFONT, &DeleteObject>;
using TBrush = TOwned<HBRUSH, &DeleteObject>;
using TPen = TOwned<HPEN, &DeleteObject>;
using TRegion = TOwned<HRGN, &DeleteObject>;
using TIcon = TOwned<HICON, &DestroyIcon>;
using TMenu = TOwned<HMENU, &DestroyMenu>;
using TMemoryDc = TOwned<HDC, &DeleteDC>;

// The DC of a window (GetDC), released on destruction.
class TWindowDc {
 public:
  explicit TWindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~TWindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  TWindowDc(const TWindowDc&) = delete;
  TWindowDc& operator=(const TWindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint ... EndPaint for one WM_PAINT.
class TPaintDc {
 public:
  explicit TPaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~TPaintDc() { EndPaint(window_, &paint_); }
  TPaintDc(const TPaintDc&) = delete;
  TPaintDc& operator=(const TPaintDc&) = delete;
  HDC Get() const { return dc_; }
  const RECT& Dirty() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects a GDI object into a DC and puts the previous one back on destruction.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~TSelection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// An owned COM interface pointer: Release on destruction, AddRef on copy.
template <typename T>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(const TComPtr& other) : pointer_(other.pointer_) {
    if (pointer_ != nullptr) pointer_->AddRef();
  }
  TComPtr& operator=(const TComPtr& other) {
    TComPtr copy(other);
    std::swap(pointer_, copy.pointer_);
    return *this;
  }
  TComPtr(TComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  TComPtr& operator=(TComPtr&& other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  // Takes over a reference that the caller already holds.
  static TComPtr Adopt(T* pointer) {
    TComPtr owned;
    owned.pointer_ = pointer;
    return owned;
  }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  void Reset() {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }
  // For out-parameters: releases what is held and hands out the slot.
  T** Put() {
    Reset();
    return &pointer_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  // The same object through another interface; empty when it has none.
  template <typename U>
  TComPtr<U> As(REFIID iid) const {
    TComPtr<U> other;
    if (pointer_ != nullptr) pointer_->QueryInterface(iid, other.PutVoid());
    return other;
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace bailan

// Owning wrappers for Win32 handles: one move-only template, UniqueHandle<Traits>, and one traits
// type per kind of handle that names the function releasing it. Every handle the program acquires
// goes into the wrapper of the function that acquired it, so nothing is released by hand and never
// with the wrong function (a GetDC result freed with DeleteDC, a shared icon destroyed).
//
//   UniqueWindow window(CreateWindowExW(...));       // DestroyWindow at scope exit
//   WindowDc dc = GetWindowDc(window.get());         // ReleaseDC(window, dc)
//   MemoryDc memory(CreateCompatibleDC(dc.get()));   // DeleteDC
//   UniqueBitmap bitmap(CreateCompatibleBitmap(dc.get(), cx, cy));
//   ScopedSelection select(memory.get(), bitmap.get());  // restores the DC's old bitmap first
//   UniqueRegKey key;
//   RegOpenKeyExW(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.Put());
//
// Declare the wrappers in acquisition order: destruction runs in reverse, so a selection is undone
// before its object is deleted and a DC released before its window is destroyed.
#pragma once

#include <cstddef>
#include <utility>

#include "platform/win32/windows_api.h"

#include <objbase.h>

namespace mirel::win32 {

// Traits concept: `Handle` type, `Invalid()` (the empty value), `IsValid(h)` and `Close(h)`.
// `Close` may be a member when the release needs more than the handle (ReleaseDC needs the window);
// that state is kept beside the handle and moves with it.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle, Traits traits = Traits{}) noexcept
      : handle_(handle), traits_(traits) {}
  UniqueHandle(UniqueHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, Traits::Invalid())), traits_(other.traits_) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, Traits::Invalid());
      traits_ = other.traits_;
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Close(); }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return Traits::IsValid(handle_); }
  const Traits& traits() const noexcept { return traits_; }

  // Gives up ownership without releasing (for example a submenu inserted into its parent menu,
  // which the parent then destroys).
  [[nodiscard]] Handle Release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
  // Releases the current handle and takes `handle`; the traits state is kept.
  void Reset(Handle handle = Traits::Invalid()) noexcept {
    Close();
    handle_ = handle;
  }
  // For out-parameters: releases the current handle and returns the address to fill.
  Handle* Put() noexcept {
    Reset();
    return &handle_;
  }

 private:
  void Close() noexcept {
    if (Traits::IsValid(handle_)) traits_.Close(handle_);
    handle_ = Traits::Invalid();
  }

  Handle handle_ = Traits::Invalid();
  [[no_unique_address]] Traits traits_{};
};

// Handles whose empty value is null.
template <typename H>
struct NullHandleTraits {
  using Handle = H;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
};

// DestroyWindow: only from the thread that created the window. Not for child controls, which
// their parent destroys.
struct WindowTraits : NullHandleTraits<HWND> {
  static void Close(HWND window) noexcept { ::DestroyWindow(window); }
};
using UniqueWindow = UniqueHandle<WindowTraits>;

// DestroyMenu: a menu attached to a window, or inserted as a submenu, is destroyed with its
// window or parent; Release() it once attached.
struct MenuTraits : NullHandleTraits<HMENU> {
  static void Close(HMENU menu) noexcept { ::DestroyMenu(menu); }
};
using UniqueMenu = UniqueHandle<MenuTraits>;

// DestroyIcon: icons the program created (CreateIconIndirect, CopyIcon, LoadImage without
// LR_SHARED). Shared icons from LoadIcon are never destroyed and are not wrapped.
struct IconTraits : NullHandleTraits<HICON> {
  static void Close(HICON icon) noexcept { ::DestroyIcon(icon); }
};
using UniqueIcon = UniqueHandle<IconTraits>;

// DeleteObject: pens, brushes, fonts, bitmaps, regions. An object must not be selected into a DC
// when it is deleted: use ScopedSelection. Stock objects are never wrapped.
template <typename GdiObject>
struct GdiObjectTraits : NullHandleTraits<GdiObject> {
  static void Close(GdiObject object) noexcept { ::DeleteObject(object); }
};
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;

// A DC from GetDC/GetWindowDC goes back with ReleaseDC on the same window.
struct WindowDcTraits : NullHandleTraits<HDC> {
  HWND window = nullptr;
  void Close(HDC dc) const noexcept { ::ReleaseDC(window, dc); }
};
using WindowDc = UniqueHandle<WindowDcTraits>;

// GetDC(window) (window may be null: the screen), owned.
inline WindowDc GetWindowDc(HWND window) noexcept {
  WindowDcTraits traits;
  traits.window = window;
  return WindowDc(::GetDC(window), traits);
}

// A DC from CreateCompatibleDC/CreateDC goes with DeleteDC.
struct MemoryDcTraits : NullHandleTraits<HDC> {
  static void Close(HDC dc) noexcept { ::DeleteDC(dc); }
};
using MemoryDc = UniqueHandle<MemoryDcTraits>;

// RegCloseKey. Predefined roots (HKEY_CURRENT_USER) are never wrapped.
struct RegKeyTraits : NullHandleTraits<HKEY> {
  static void Close(HKEY key) noexcept { ::RegCloseKey(key); }
};
using UniqueRegKey = UniqueHandle<RegKeyTraits>;

// CloseHandle for kernel objects (events, threads, processes, files). Both null and
// INVALID_HANDLE_VALUE mean "none": CreateFile fails with the latter, most others with null.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle handle) noexcept {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
  }
  static void Close(HANDLE handle) noexcept { ::CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// Selects `object` into `dc` and selects the previous object back at scope exit.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;
  ~ScopedSelection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A counted COM interface pointer, move-only like the handles: holds one reference.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  Interface* get() const noexcept { return pointer_; }
  Interface* operator->() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

  void Reset() noexcept {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }
  // For out-parameters of CoCreateInstance/QueryInterface: the reference they return is adopted.
  Interface** Put() noexcept {
    Reset();
    return &pointer_;
  }
  void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

  // QueryInterface for `Other`; empty when the object does not implement it.
  template <typename Other>
  ComPtr<Other> As() const noexcept {
    ComPtr<Other> result;
    if (pointer_ != nullptr) pointer_->QueryInterface(__uuidof(Other), result.PutVoid());
    return result;
  }

 private:
  Interface* pointer_ = nullptr;
};

// COM for the current thread (single-threaded apartment) for the life of the object.
// CoUninitialize only balances a successful CoInitializeEx (S_OK or S_FALSE).
class ScopedComInit {
 public:
  ScopedComInit() noexcept
      : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;
  ~ScopedComInit() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  bool Succeeded() const noexcept { return SUCCEEDED(result_); }
  HRESULT Result() const noexcept { return result_; }

 private:
  HRESULT result_;
};

}  // namespace mirel::win32

// WinHandles: move-only owners for the GDI and USER handles of the library. Each
// handle kind has exactly one owner type; copying is impossible, moving hands the handle
// on, and the destructor frees it with the call that matches how it was obtained.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

// Owns one handle of type T and frees it with Close. A null handle means "nothing owned".
template <typename T, auto Close>
class TUniqueHandle {
 public:
  TUniqueHandle() noexcept = default;
  explicit TUniqueHandle(T handle) noexcept : handle_(handle) {}
  ~TUniqueHandle() { reset(); }

  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;
  TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(other.release()) {}
  TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != T(); }

  // Gives up ownership without freeing; the caller frees the returned handle.
  T release() noexcept { return std::exchange(handle_, T()); }

  // Frees the owned handle (if any) and takes ownership of handle.
  void reset(T handle = T()) noexcept {
    T old = std::exchange(handle_, handle);
    if (old != T()) Close(old);
  }

 private:
  T handle_ = T();
};

// GDI objects: a pen, brush, font or bitmap must not be selected into a device context
// when it is deleted; TSelectGuard below takes care of that order.
using TUniquePen = TUniqueHandle<HPEN, &::DeleteObject>;
using TUniqueBrush = TUniqueHandle<HBRUSH, &::DeleteObject>;
using TUniqueFont = TUniqueHandle<HFONT, &::DeleteObject>;
using TUniqueBitmap = TUniqueHandle<HBITMAP, &::DeleteObject>;
// Device contexts from CreateCompatibleDC, CreateDC or CreateIC.
using TUniqueDC = TUniqueHandle<HDC, &::DeleteDC>;
using TUniqueEnhMetaFile = TUniqueHandle<HENHMETAFILE, &::DeleteEnhMetaFile>;
using TUniqueMetaFile = TUniqueHandle<HMETAFILE, &::DeleteMetaFile>;
// Icons from CreateIcon*, CopyIcon or LoadImage without LR_SHARED (shared icons are not freed).
using TUniqueIcon = TUniqueHandle<HICON, &::DestroyIcon>;
// DestroyWindow works only on the thread that created the window.
using TUniqueWindow = TUniqueHandle<HWND, &::DestroyWindow>;
using TUniqueModule = TUniqueHandle<HMODULE, &::FreeLibrary>;
using TUniqueKey = TUniqueHandle<HKEY, &::RegCloseKey>;
using TUniqueMenu = TUniqueHandle<HMENU, &::DestroyMenu>;
// Movable global memory, as the clipboard takes it.
using TUniqueGlobal = TUniqueHandle<HGLOBAL, &::GlobalFree>;
// A device context that records an enhanced metafile; freed unfinished, it discards the record.
inline void DiscardRecording(HDC dc) { DeleteEnhMetaFile(CloseEnhMetaFile(dc)); }
using TRecordingDC = TUniqueHandle<HDC, &DiscardRecording>;
// Files from CreateFile; INVALID_HANDLE_VALUE is taken as "nothing owned" by FileHandle.
using TUniqueFile = TUniqueHandle<HANDLE, &::CloseHandle>;
inline TUniqueFile FileHandle(HANDLE file) {
  return TUniqueFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// A device context from GetDC/GetWindowDC: ReleaseDC needs the window it came from.
class TWindowDC {
 public:
  TWindowDC() noexcept = default;
  // Gets the client-area device context of window (null window: the screen).
  explicit TWindowDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  ~TWindowDC() { reset(); }

  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  TWindowDC(TWindowDC&& other) noexcept
      : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
  TWindowDC& operator=(TWindowDC&& other) noexcept {
    if (this != &other) {
      reset();
      window_ = std::exchange(other.window_, nullptr);
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }

  HDC get() const noexcept { return dc_; }
  HWND window() const noexcept { return window_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

  void reset() noexcept {
    if (dc_) ::ReleaseDC(window_, dc_);
    dc_ = nullptr;
    window_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// BeginPaint on construction, EndPaint on destruction (WM_PAINT handlers only).
class TPaintGuard {
 public:
  explicit TPaintGuard(HWND window) noexcept : window_(window) {
    dc_ = ::BeginPaint(window_, &paint_);
  }
  ~TPaintGuard() {
    if (window_) ::EndPaint(window_, &paint_);
  }
  TPaintGuard(const TPaintGuard&) = delete;
  TPaintGuard& operator=(const TPaintGuard&) = delete;

  HDC get() const noexcept { return dc_; }
  const PAINTSTRUCT& paint() const noexcept { return paint_; }

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
  PAINTSTRUCT paint_{};
};

// Puts back, on scope exit, the object that a SelectObject call displaced. Whatever is
// selected in between is displaced in turn, so the guard always restores the original.
class TSelectGuard {
 public:
  TSelectGuard() noexcept = default;
  ~TSelectGuard() { reset(); }

  TSelectGuard(const TSelectGuard&) = delete;
  TSelectGuard& operator=(const TSelectGuard&) = delete;
  TSelectGuard(TSelectGuard&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr)) {}
  TSelectGuard& operator=(TSelectGuard&& other) noexcept {
    if (this != &other) {
      reset();
      dc_ = std::exchange(other.dc_, nullptr);
      previous_ = std::exchange(other.previous_, nullptr);
    }
    return *this;
  }

  explicit operator bool() const noexcept { return previous_ != nullptr; }
  // The object that was selected before the guarded SelectObject call.
  HGDIOBJ previous() const noexcept { return previous_; }

  // Restores the original object now.
  void reset() noexcept {
    if (previous_) ::SelectObject(dc_, previous_);
    dc_ = nullptr;
    previous_ = nullptr;
  }

 private:
  friend TSelectGuard SelectObjectScoped(HDC dc, HGDIOBJ object) noexcept;
  TSelectGuard(HDC dc, HGDIOBJ previous) noexcept : dc_(dc), previous_(previous) {}

  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// Selects object into dc; the returned guard selects the displaced object back. A failed
// selection (or a region, which SelectObject does not displace) yields an empty guard.
inline TSelectGuard SelectObjectScoped(HDC dc, HGDIOBJ object) noexcept {
  HGDIOBJ previous = ::SelectObject(dc, object);
  if (previous == HGDI_ERROR || ::GetObjectType(object) == OBJ_REGION) previous = nullptr;
  return TSelectGuard(dc, previous);
}

}  // namespace win

// One move-only owner for every kind of Windows handle, and the guards for window DCs and SelectObject.
#pragma once

#include <windows.h>

#include <utility>

// Owns one handle and closes it with Traits::Close. Traits gives
//   using Type;  static Type Invalid();  static void Close(Type);
template <class Traits>
class UniqueHandle {
public:
  using Type = typename Traits::Type;

  UniqueHandle() noexcept : handle_(Traits::Invalid()) {}
  explicit UniqueHandle(Type handle) noexcept : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Type get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

  // Gives the handle up without closing it.
  [[nodiscard]] Type release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

  // Closes the handle held (if any) and takes `handle`.
  void reset(Type handle = Traits::Invalid()) noexcept {
    const Type old = std::exchange(handle_, handle);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

  // For functions that return a handle through a pointer (RegOpenKeyExA, ...).
  Type* put() noexcept {
    reset();
    return &handle_;
  }

private:
  Type handle_;
};

namespace handle_traits {

template <class Handle>
struct GdiObject {
  using Type = Handle;
  static Type Invalid() { return nullptr; }
  static void Close(Type handle) { DeleteObject(handle); }
};

// A DC of our own from CreateCompatibleDC.
struct MemoryDC {
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static void Close(Type dc) { DeleteDC(dc); }
};

struct Icon {
  using Type = HICON;
  static Type Invalid() { return nullptr; }
  static void Close(Type icon) { DestroyIcon(icon); }
};

struct RegKey {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static void Close(Type key) { RegCloseKey(key); }
};

// CreateFileA reports failure with INVALID_HANDLE_VALUE, not with null.
struct File {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type file) { CloseHandle(file); }
};

// Process, thread, event and pipe handles: null when there is none.
struct KernelObject {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type object) { CloseHandle(object); }
};

struct Find {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type search) { FindClose(search); }
};

}  // namespace handle_traits

using UniqueFont = UniqueHandle<handle_traits::GdiObject<HFONT>>;
using UniqueBrush = UniqueHandle<handle_traits::GdiObject<HBRUSH>>;
using UniquePen = UniqueHandle<handle_traits::GdiObject<HPEN>>;
using UniqueBitmap = UniqueHandle<handle_traits::GdiObject<HBITMAP>>;
using UniqueMemoryDC = UniqueHandle<handle_traits::MemoryDC>;
using UniqueIcon = UniqueHandle<handle_traits::Icon>;
using UniqueRegKey = UniqueHandle<handle_traits::RegKey>;
using UniqueFile = UniqueHandle<handle_traits::File>;
using UniqueFindHandle = UniqueHandle<handle_traits::Find>;
using UniqueKernelObject = UniqueHandle<handle_traits::KernelObject>;

// A window's DC from GetDC, given back with ReleaseDC (which needs the window too).
class WindowDC {
public:
  WindowDC() noexcept = default;
  WindowDC(HWND window, HDC dc) noexcept : window_(window), dc_(dc) {}
  ~WindowDC() { reset(); }

  WindowDC(WindowDC&& other) noexcept
      : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDC& operator=(WindowDC&& other) noexcept {
    if (this != &other) {
      reset();
      window_ = std::exchange(other.window_, nullptr);
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

  void reset() noexcept {
    if (dc_) ReleaseDC(window_, std::exchange(dc_, nullptr));
    window_ = nullptr;
  }

private:
  HWND window_ = nullptr;  // nullptr for the screen
  HDC dc_ = nullptr;
};

// GetDC: the DC of a window's client area, or of the screen for nullptr.
[[nodiscard]] inline WindowDC AcquireDC(HWND window) {
  return WindowDC(window, GetDC(window));
}

// Puts the object that was in a DC before SelectObject back when it goes, so
// that a DC handed to us (owner-draw, painting) is returned as we found it.
class ScopedSelectObject {
public:
  ScopedSelectObject() noexcept = default;
  ScopedSelectObject(HDC dc, HGDIOBJ previous) noexcept : dc_(dc), previous_(previous) {}
  ~ScopedSelectObject() { reset(); }

  ScopedSelectObject(ScopedSelectObject&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr)) {}
  ScopedSelectObject& operator=(ScopedSelectObject&& other) noexcept {
    if (this != &other) {
      reset();
      dc_ = std::exchange(other.dc_, nullptr);
      previous_ = std::exchange(other.previous_, nullptr);
    }
    return *this;
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

  explicit operator bool() const noexcept { return previous_ != nullptr; }

  // Restores the previous object now.
  void reset() noexcept {
    if (previous_) SelectObject(dc_, std::exchange(previous_, nullptr));
    dc_ = nullptr;
  }

private:
  HDC dc_ = nullptr;            // not owned
  HGDIOBJ previous_ = nullptr;  // not owned: it belongs to whoever selected it
};

// SelectObject(dc, object) for as long as the guard lives. The guard is empty
// when the selection failed (SelectObject returned null or HGDI_ERROR).
[[nodiscard]] inline ScopedSelectObject SelectInto(HDC dc, HGDIOBJ object) {
  HGDIOBJ previous = SelectObject(dc, object);
  if (previous == HGDI_ERROR) previous = nullptr;
  return ScopedSelectObject(dc, previous);
}

#pragma once
#include <memory>
#include <type_traits>
#include <utility>

#include "framework/win32.h"
// After the platform headers as framework/win32.h includes them.
#include "device/unique_handle_win32.h"

namespace framework {

// Kernel handle closed with CloseHandle. Null and INVALID_HANDLE_VALUE both
// mean "none". The device folder's type: one move-only handle type for the
// whole program.
using UniqueHandle = korvid::KernelHandle;

// A windows hook removed with UnhookWindowsHookEx.
struct HookDeleter {
  void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
using UniqueHook = std::unique_ptr<std::remove_pointer_t<HHOOK>, HookDeleter>;

// A COM interface released with Release.
struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease>;

// A GDI object (font, bitmap, brush, pen) deleted with DeleteObject.
template <typename T>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(T object) : object_(object) {}
  GdiObject(GdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    reset(std::exchange(other.object_, nullptr));
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() { reset(); }

  T get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void reset(T object = nullptr) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }

 private:
  T object_ = nullptr;
};

using FontHandle = GdiObject<HFONT>;
using BitmapHandle = GdiObject<HBITMAP>;

// Selects an object into a device context and puts the previous one back.
class SelectObjectGuard {
 public:
  SelectObjectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectObjectGuard(const SelectObjectGuard&) = delete;
  SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;
  ~SelectObjectGuard() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A memory device context made with CreateCompatibleDC.
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// The device context of a window (or of the screen for a null window),
// released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A critical section that lives as long as the object.
class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSectionAndSpinCount(&section_, 0); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CriticalSection& section) : section_(section) { section_.Enter(); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;
  ~CriticalSectionLock() { section_.Leave(); }

 private:
  CriticalSection& section_;
};

// GDI+ objects own themselves through their virtual destructors and
// GdiplusBase's operator delete, so unique_ptr frees them correctly.
using ImagePtr = std::unique_ptr<Gdiplus::Image>;
using BitmapPtr = std::unique_ptr<Gdiplus::Bitmap>;

// A copy of an image, or null for none.
inline ImagePtr CloneImage(Gdiplus::Image* image) {
  return ImagePtr(image ? image->Clone() : nullptr);
}

}  // namespace framework

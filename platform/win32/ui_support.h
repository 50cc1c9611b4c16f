// Win32 building blocks of the drawn forms: GDI objects and windows that
// release themselves, the model's colours and fonts as GDI ones, window
// classes of this module, and the carrier that takes an exception of a
// handler out of a window procedure to the loop that dispatched it.
// Internal to platform/win32.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/ui.h"

namespace dt::platform::win32 {

template <typename Handle>
struct GdiDeleter {
  void operator()(Handle handle) const { DeleteObject(handle); }
};
template <typename Handle>
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<Handle>, GdiDeleter<Handle>>;

// Destroys a window, first cutting it off from the object its procedure
// reads through GWLP_USERDATA, so no message of its destruction reaches a
// half-destroyed owner.
struct WindowDeleter {
  void operator()(HWND window) const;
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

// An object selected into a device context until the scope ends.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint .. EndPaint of one WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintScope() { EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// The module (DLL or program) this code is linked into.
HINSTANCE ThisModule();

// ANSI model text for the W functions.
std::wstring Wide(std::string_view ansi);

// A model colour: RGB as it is, a system colour by its index.
COLORREF ColorRefOf(Color color);
UniqueGdi<HBRUSH> MakeBrush(Color color);
// Paints the whole client area of `window` with `brush` (a background).
void FillClient(HWND window, HDC dc, HBRUSH brush);
// A font of the model's character height in pixels. Raises Exception when
// GDI cannot make one.
UniqueGdi<HFONT> MakeFont(const FontSpec& wanted);

// A window class of this module, registered while the object lives. The
// class name must be unique in the module. Raises Exception when the class
// cannot be registered.
class WindowClass {
 public:
  WindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background);
  ~WindowClass();
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  const wchar_t* Name() const { return name_; }

 private:
  const wchar_t* name_;
};

// Holds the first exception raised inside window procedures until the
// loop of ours that dispatched the message rethrows it: C++ exceptions
// must not unwind through the system's frames between the two.
class ErrorCarrier {
 public:
  template <typename Handler>
  LRESULT Guard(Handler&& handler, LRESULT on_error) noexcept {
    try {
      return std::forward<Handler>(handler)();
    } catch (...) {
      if (!error_) error_ = std::current_exception();
      return on_error;
    }
  }
  void RethrowIfAny() {
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
  }

 private:
  std::exception_ptr error_;
};

// Raises Exception with `what` and the system's text for the last error.
[[noreturn]] void RaiseLastError(const std::string& what);

}  // namespace dt::platform::win32

// The host's main window on Windows: a plain top-level window that is never
// shown, enough to own the run window and to be disabled by it.
#include "platform/host_window.h"

#include <windows.h>

#include "platform/errors.h"

namespace dt::platform {
namespace {

constexpr wchar_t kClassName[] = L"DealtextHostWindow";

void RegisterHostClass() {
  static const bool registered = [] {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kClassName;
    return RegisterClassW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  if (!registered) throw Exception("Cannot register the host window class");
}

}  // namespace

HostWindow::HostWindow() {
  RegisterHostClass();
  HWND window = CreateWindowExW(0, kClassName, L"dealtext host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 400, 300, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) throw Exception("Cannot create the host window");
  handle_ = reinterpret_cast<std::uintptr_t>(window);
}

HostWindow::~HostWindow() { DestroyWindow(reinterpret_cast<HWND>(handle_)); }

bool HostWindow::Enabled() const { return IsWindowEnabled(reinterpret_cast<HWND>(handle_)) != 0; }

}  // namespace dt::platform

// The host application's main window, for the stand-in host program and the
// tests: the window handle that DoIt receives as the host's and that owns
// the run window. On Windows a real top-level window (never shown); on
// POSIX, where nothing is drawn, a fixed handle value.
#pragma once

#include <cstdint>

namespace dt::platform {

class HostWindow {
 public:
  // Raises Exception when the window cannot be created.
  HostWindow();
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  std::uintptr_t Handle() const { return handle_; }
  // False while a modal window of the plug-in has it disabled. Always true
  // on POSIX, where the model tracks this itself.
  bool Enabled() const;

 private:
  std::uintptr_t handle_ = 0;
};

}  // namespace dt::platform

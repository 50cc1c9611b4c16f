// The seam between the form model (platform/common/ui_model.cpp) and a
// platform that draws forms: the OS window a form gets while it is shown
// modally. The model keeps the form's state (modal result, close requests,
// timers as data, widget values); the window mirrors it on screen, runs
// the form's timers on the OS's timers and waits for the OS's messages.
// Internal to platform/: nothing outside it sees this header.
#pragma once

#include <cstdint>
#include <memory>

namespace dt::platform {

class Form;
class Timer;
struct ProgressBar;

class NativeWindow {
 public:
  // Destroying the window gives back what showing it took: the windows it
  // disabled are enabled again, then it is hidden and destroyed.
  virtual ~NativeWindow() = default;

  // The window as a number (an HWND on Windows).
  virtual std::uintptr_t Handle() const = 0;

  // Waits for the next message of the thread and handles it. An exception
  // of a handler that ran meanwhile (a timer's) leaves here.
  virtual void HandleNextMessage() = 0;
  // Handles the messages that wait now, without waiting; exceptions of
  // handlers leave here, as above.
  virtual void HandlePendingMessages() = 0;

  // The timer was enabled, disabled or given a new interval: the OS timer
  // follows it. Called also for a timer that is being destroyed, after it
  // was disabled.
  virtual void TimerChanged(const Timer& timer) = 0;
  // The bar's value changed: the OS control shows it before this returns.
  virtual void Redraw(const ProgressBar& bar) = 0;
};

// Shows `form` in a window of its own, owned by the form's owner window,
// and disables the thread's other windows; null where the platform draws
// nothing (POSIX). Raises Exception when the window cannot be made.
std::unique_ptr<NativeWindow> OpenNativeWindow(Form& form);

}  // namespace dt::platform

// Forms on Windows: a form on the system clock is shown as a real modal
// window. Its owner is the application's window; while it is shown the
// thread's other windows are disabled; its timers are the system's timers,
// whose handlers run inside their WM_TIMER message; the close box is a
// close request. Exceptions of handlers are carried out of the window
// procedure and rethrown by the loop that dispatched the message.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/common/native_window.h"
#include "platform/errors.h"
#include "platform/ui.h"
#include "platform/win32/ui_support.h"
#include "platform/win32/ui_widgets.h"

namespace dt::platform {
namespace {

using win32::ErrorCarrier;
using win32::UniqueGdi;
using win32::UniqueWindow;

// Disables the thread's visible top-level windows and the form's owner
// while a modal form is shown, and enables them again when it ends.
class DisabledWindows {
 public:
  DisabledWindows(HWND shown, HWND owner) {
    EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
    std::erase(windows_, shown);
    // The owner counts even when it is not shown (an application window).
    if (owner != nullptr && IsWindowEnabled(owner) &&
        std::find(windows_.begin(), windows_.end(), owner) == windows_.end()) {
      windows_.push_back(owner);
    }
    for (HWND window : windows_) EnableWindow(window, FALSE);
  }
  ~DisabledWindows() {
    for (HWND window : windows_) {
      if (IsWindow(window)) EnableWindow(window, TRUE);
    }
  }
  DisabledWindows(const DisabledWindows&) = delete;
  DisabledWindows& operator=(const DisabledWindows&) = delete;

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM self) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
      reinterpret_cast<DisabledWindows*>(self)->windows_.push_back(window);
    }
    return TRUE;
  }

  std::vector<HWND> windows_;
};

// The owner a form takes: the application's window when it is a window of
// this thread (a host may pass a handle that names none).
HWND OwnerOf(const Form& form) {
  const HWND owner = reinterpret_cast<HWND>(form.OwnerWindow());
  if (owner == nullptr || !IsWindow(owner)) return nullptr;
  return GetWindowThreadProcessId(owner, nullptr) == GetCurrentThreadId() ? owner : nullptr;
}

class Win32Window final : public NativeWindow {
 public:
  explicit Win32Window(Form& form);
  ~Win32Window() override = default;

  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(window_.get()); }
  void HandleNextMessage() override;
  void HandlePendingMessages() override;
  void TimerChanged(const Timer& timer) override;
  void Redraw(const ProgressBar& bar) override { widgets_->Redraw(bar); }

 private:
  static const wchar_t* ClassName();
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void FireTimer(WPARAM id);
  void Dispatch(const MSG& message);

  Form& form_;
  ErrorCarrier carrier_;
  UniqueGdi<HFONT> font_;
  UniqueGdi<HBRUSH> background_;
  // Destroyed in this order: the other windows are enabled again first, so
  // that activation goes back to them; then the window and its children;
  // then what the children point at.
  std::optional<win32::Widgets> widgets_;
  UniqueWindow window_;
  std::optional<DisabledWindows> disabled_;
};

const wchar_t* Win32Window::ClassName() {
  static const win32::WindowClass form_class(L"DealTextForm", Procedure, nullptr);
  return form_class.Name();
}

Win32Window::Win32Window(Form& form)
    : form_(form), font_(win32::MakeFont(form.font)), background_(win32::MakeBrush(form.color)) {
  const DWORD style = form.dialog_frame ? WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN
                                        : WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  const DWORD extended = form.dialog_frame ? WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT : 0;
  RECT frame{0, 0, form.client_width, form.client_height};
  AdjustWindowRectEx(&frame, style, FALSE, extended);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  int left = CW_USEDEFAULT;
  int top = CW_USEDEFAULT;
  if (form.centered_on_screen) {
    left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  }
  const HWND owner = OwnerOf(form);
  window_.reset(CreateWindowExW(extended, ClassName(), win32::Wide(form.caption).c_str(), style,
                                left, top, width, height, owner, nullptr, win32::ThisModule(),
                                this));
  if (!window_) win32::RaiseLastError("Cannot create the window " + form.caption);
  SendMessageW(window_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  widgets_.emplace(form, window_.get(), font_.get(), carrier_);
  disabled_.emplace(window_.get(), owner);
  for (const Timer* timer : form.Timers()) TimerChanged(*timer);
  ShowWindow(window_.get(), SW_SHOWNORMAL);
  UpdateWindow(window_.get());
  carrier_.RethrowIfAny();
}

LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return self->carrier_.Guard([&] { return self->HandleMessage(window, message, wparam, lparam); },
                              0);
}

LRESULT Win32Window::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      win32::FillClient(window, reinterpret_cast<HDC>(wparam), background_.get());
      return 1;
    case WM_CLOSE:
      // The close box ends the modal loop; the window itself stays until
      // the loop has ended.
      form_.Close();
      return 0;
    case WM_TIMER:
      FireTimer(wparam);
      return 0;
    default:
      break;
  }
  if (auto answer = win32::Widgets::ParentMessage(message, wparam, lparam)) return *answer;
  return DefWindowProcW(window, message, wparam, lparam);
}

// A system timer's id is the address of the model's timer. A tick of a
// timer that has meanwhile been disabled or destroyed may still be queued.
void Win32Window::FireTimer(WPARAM id) {
  const std::vector<Timer*>& timers = form_.Timers();
  const auto found = std::find_if(timers.begin(), timers.end(), [id](const Timer* timer) {
    return reinterpret_cast<WPARAM>(timer) == id;
  });
  if (found == timers.end()) return;
  Timer& timer = **found;
  if (!timer.Enabled() || timer.Interval() == 0) return;
  if (timer.OnTimer) timer.OnTimer();
}

void Win32Window::TimerChanged(const Timer& timer) {
  const auto id = reinterpret_cast<UINT_PTR>(&timer);
  if (!timer.Enabled() || timer.Interval() == 0) {
    KillTimer(window_.get(), id);
    return;
  }
  if (SetTimer(window_.get(), id, static_cast<UINT>(timer.Interval()), nullptr) == 0) {
    win32::RaiseLastError("Cannot start the timer " + timer.Name());
  }
}

void Win32Window::Dispatch(const MSG& message) {
  TranslateMessage(&message);
  DispatchMessageW(&message);
  carrier_.RethrowIfAny();
}

void Win32Window::HandleNextMessage() {
  MSG message;
  const BOOL got = GetMessageW(&message, nullptr, 0, 0);
  if (got == -1) win32::RaiseLastError("Cannot read the window messages");
  if (got == 0) {
    // The application is asked to end: leave the quit request for its own
    // loop and end this one.
    PostQuitMessage(static_cast<int>(message.wParam));
    form_.Close();
    return;
  }
  Dispatch(message);
}

void Win32Window::HandlePendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

}  // namespace

std::unique_ptr<NativeWindow> OpenNativeWindow(Form& form) {
  return std::make_unique<Win32Window>(form);
}

}  // namespace dt::platform

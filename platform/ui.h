// The user-interface model the run window is built on: a form with panels,
// a label, a button, a progress bar and timers, shown modally by an event
// loop that fires timers and handles close requests. Every widget's state
// (texts, layout, progress) is plain data that tests and terminal views
// read. Time comes from a Clock, so tests can let it jump instead of
// waiting. A form on the system clock is also drawn where the platform
// draws (a real modal window on Windows); on POSIX, or on any other clock,
// nothing is drawn. One thread: the one that shows the form.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace dt::platform {

using TimePoint = std::chrono::steady_clock::time_point;

// Where the event loop reads the time and waits for it.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual TimePoint Now() = 0;
  virtual void WaitUntil(TimePoint when) = 0;
};

// The monotonic clock, with real waits.
Clock& SystemClock();

// A clock that moves only when waited on or advanced: waits end at once.
class ManualClock : public Clock {
 public:
  TimePoint Now() override { return now_; }
  void WaitUntil(TimePoint when) override;
  void Advance(std::chrono::milliseconds by) { now_ += by; }

 private:
  TimePoint now_{};
};

// Modal results.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

// Colours: 0x00BBGGRR, or a system colour (high byte 0xFF, low byte its index).
using Color = std::uint32_t;
inline constexpr Color Rgb(int r, int g, int b) {
  return static_cast<Color>(r | (g << 8) | (b << 16));
}
inline constexpr Color clBtnFace = 0xFF00000F;
inline constexpr Color clWindowText = 0xFF000008;
inline constexpr Color clHighlight = 0xFF00000D;
inline constexpr Color clGray = Rgb(128, 128, 128);
inline constexpr Color clWhite = Rgb(255, 255, 255);

inline constexpr int kDefaultCharset = 1;
inline constexpr int kGb2312Charset = 134;

struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Bounds&) const = default;
};

struct FontSpec {
  std::string name;  // ANSI
  int height = 0;    // character height in pixels
  Color color = clWindowText;
  int charset = kDefaultCharset;
};

enum class Align { kNone, kTop, kBottom, kClient };
enum class Frame { kNone, kFlat, kGroove };

class Form;

// What every widget has: a name, a parent (null for the form's own area),
// a placement relative to the parent, and a colour.
struct Control {
  std::string name;
  const Control* parent = nullptr;
  Form* form = nullptr;  // the form that lays it out; set by Form::AddControl
  Bounds bounds;
  Align align = Align::kNone;
  Color color = clBtnFace;
};

struct Panel : Control {
  Frame frame = Frame::kFlat;
};

struct Label : Control {
  std::string caption;  // ANSI
  FontSpec font;
  bool centered = false;  // horizontally and vertically
};

struct Button : Control {
  std::string caption;  // ANSI
  bool enabled = true;
  bool is_default = false;
  bool hot_track = false;
  int image_count = 0;  // images side by side in its glyph (normal, disabled)
};

// A bar of TotalParts parts that shows Percent. Repaint draws it at once,
// on the calling thread: the form's real window, when it has one, shows the
// new value before Repaint returns; then OnPaint (if set) is called.
struct ProgressBar : Control {
  int TotalParts = 100;
  int PartsComplete = 0;
  int Percent = 0;
  bool show_percent = true;
  Color bar_color = clHighlight;
  int frame_width = 0;
  int interior_offset = 0;
  Frame frame = Frame::kFlat;
  int paint_count = 0;
  std::function<void(const ProgressBar&)> OnPaint;
  void Repaint();
};

class NativeWindow;

// A timer of a form: while enabled it fires OnTimer every Interval ms from
// the form's event loop (an interval of 0 never fires).
// REQUIRES: destroyed before its form.
class Timer {
 public:
  explicit Timer(Form& owner, std::string name = {});
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  const std::string& Name() const { return name_; }
  int Interval() const { return interval_ms_; }
  void SetInterval(int milliseconds);  // restarts an enabled timer
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);  // enabling starts a full interval
  std::function<void()> OnTimer;

 private:
  friend class Form;
  Form& owner_;
  std::string name_;
  int interval_ms_ = 1000;
  bool enabled_ = false;
  TimePoint due_{};
};

// A top-level window. It takes the application's window handle as its
// owner when created. ShowModal runs the event loop until a modal result is
// set; exceptions of handlers leave ShowModal (the window is then hidden).
class Form {
 public:
  explicit Form(Clock& clock = SystemClock());
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Layout and look, as data.
  std::string caption;  // ANSI
  int client_width = 0;
  int client_height = 0;
  bool centered_on_screen = false;
  bool dialog_frame = false;  // fixed dialog frame: caption, close box, no resizing
  Color color = clBtnFace;
  FontSpec font;

  std::uintptr_t OwnerWindow() const { return owner_window_; }
  bool Visible() const { return visible_; }
  int ModalResult() const { return modal_result_; }
  void SetModalResult(int result) { modal_result_ = result; }

  std::function<void()> OnShow;

  // The widgets the form lays out and, where it is drawn, shows, in the
  // order added. REQUIRES: a control's parent is added before it; every
  // control outlives the form's ShowModal.
  using ControlRef = std::variant<Panel*, Label*, Button*, ProgressBar*>;
  void AddControl(ControlRef control);
  const std::vector<ControlRef>& Controls() const { return controls_; }
  const std::vector<Timer*>& Timers() const { return timers_; }

  // The OS window while the form is shown on a platform that draws it, as
  // a number (an HWND on Windows); 0 otherwise.
  std::uintptr_t WindowHandle() const;

  // Shows the form, calls OnShow, then handles close requests and timers
  // until a modal result is set, and hides it. Returns the modal result. A
  // loop with nothing left that could end it (no close request pending, no
  // timer enabled) ends with mrCancel rather than waiting for ever.
  int ShowModal();

  // The close box: a modal form's result becomes mrCancel.
  void Close();
  // Queues a close request, handled by the event loop or ProcessMessages.
  void PostCloseRequest() { ++pending_close_requests_; }
  // Handles what is waiting now: the queued close requests, then each
  // enabled timer that is due (once each); does not wait. With a real
  // window, the thread's pending window messages are handled too. An
  // exception of a handler it runs leaves ProcessMessages.
  void ProcessMessages();

 private:
  friend class Timer;
  friend struct ProgressBar;
  bool TakeCloseRequest();
  bool DispatchOne();
  Timer* EarliestTimer() const;

  Clock& clock_;
  std::uintptr_t owner_window_;
  bool visible_ = false;
  int modal_result_ = mrNone;
  int pending_close_requests_ = 0;
  std::vector<Timer*> timers_;
  std::vector<ControlRef> controls_;
  std::unique_ptr<NativeWindow> native_;  // only while shown in a real window
};

// The library's one application object: the window handle that its
// top-level windows take as their owner, and whether a modal loop runs.
class Application {
 public:
  std::uintptr_t Handle() const { return handle_; }
  void SetHandle(std::uintptr_t handle) { handle_ = handle; }
  // True while a modal form is shown: the thread's other windows are disabled.
  bool OtherWindowsDisabled() const { return modal_depth_ > 0; }

 private:
  friend class Form;
  std::uintptr_t handle_ = 0;
  int modal_depth_ = 0;
};

Application& TheApplication();

}  // namespace dt::platform

// The form model every platform shares: the clocks, timers as data, close
// requests, the modal loop over a clock and the widgets' registry. A form
// on the system clock hands its waiting to the platform's window when the
// platform draws one (see native_window.h); otherwise the loop lets the
// clock jump from one due timer to the next.
#include <algorithm>
#include <stdexcept>
#include <thread>
#include <utility>

#include "platform/common/native_window.h"
#include "platform/ui.h"

namespace dt::platform {
namespace {

class SteadyClock final : public Clock {
 public:
  TimePoint Now() override { return std::chrono::steady_clock::now(); }
  void WaitUntil(TimePoint when) override { std::this_thread::sleep_until(when); }
};

// Runs a cleanup however the scope ends.
template <typename Cleanup>
class ScopeExit {
 public:
  explicit ScopeExit(Cleanup cleanup) : cleanup_(std::move(cleanup)) {}
  ~ScopeExit() { cleanup_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Cleanup cleanup_;
};

bool Armed(const Timer& timer) { return timer.Enabled() && timer.Interval() > 0; }

}  // namespace

Clock& SystemClock() {
  static SteadyClock clock;
  return clock;
}

void ManualClock::WaitUntil(TimePoint when) {
  if (when > now_) now_ = when;
}

void ProgressBar::Repaint() {
  ++paint_count;
  if (form != nullptr && form->native_) form->native_->Redraw(*this);
  if (OnPaint) OnPaint(*this);
}

Timer::Timer(Form& owner, std::string name) : owner_(owner), name_(std::move(name)) {
  owner_.timers_.push_back(this);
}

Timer::~Timer() {
  if (owner_.native_ && enabled_) {
    enabled_ = false;
    owner_.native_->TimerChanged(*this);
  }
  std::erase(owner_.timers_, this);
}

void Timer::SetInterval(int milliseconds) {
  interval_ms_ = milliseconds < 0 ? 0 : milliseconds;
  if (enabled_) due_ = owner_.clock_.Now() + std::chrono::milliseconds(interval_ms_);
  if (owner_.native_) owner_.native_->TimerChanged(*this);
}

void Timer::SetEnabled(bool enabled) {
  const bool starts = enabled && !enabled_;
  if (starts) due_ = owner_.clock_.Now() + std::chrono::milliseconds(interval_ms_);
  enabled_ = enabled;
  if (owner_.native_ && (starts || !enabled)) owner_.native_->TimerChanged(*this);
}

Form::Form(Clock& clock) : clock_(clock), owner_window_(TheApplication().Handle()) {}

Form::~Form() = default;

void Form::AddControl(ControlRef control) {
  Control* added = std::visit([](auto* c) -> Control* { return c; }, control);
  if (added == nullptr) throw std::invalid_argument("Form::AddControl: no control");
  const auto is_parent = [added](const ControlRef& c) {
    return std::visit([](auto* p) -> const Control* { return p; }, c) == added->parent;
  };
  if (added->parent != nullptr && std::none_of(controls_.begin(), controls_.end(), is_parent)) {
    throw std::invalid_argument("Form::AddControl: the parent of " + added->name +
                                " is not a control of the form");
  }
  added->form = this;
  controls_.push_back(control);
}

std::uintptr_t Form::WindowHandle() const { return native_ ? native_->Handle() : 0; }

int Form::ShowModal() {
  Application& application = TheApplication();
  modal_result_ = mrNone;
  // Only a form on the real clock is drawn: a test's clock that jumps
  // would not match the OS's timers.
  if (&clock_ == &SystemClock()) native_ = OpenNativeWindow(*this);
  visible_ = true;
  ++application.modal_depth_;
  ScopeExit restore([this, &application] {
    native_.reset();
    visible_ = false;
    --application.modal_depth_;
  });
  if (OnShow) OnShow();
  while (modal_result_ == mrNone) {
    if (TakeCloseRequest()) continue;
    if (EarliestTimer() == nullptr) {
      // Nothing is left that could set a result: the loop would wait for a
      // user who may not be there.
      modal_result_ = mrCancel;
      break;
    }
    if (native_) {
      native_->HandleNextMessage();
    } else if (!DispatchOne()) {
      clock_.WaitUntil(EarliestTimer()->due_);
    }
  }
  return modal_result_;
}

void Form::Close() { modal_result_ = mrCancel; }

bool Form::TakeCloseRequest() {
  if (pending_close_requests_ == 0) return false;
  --pending_close_requests_;
  Close();
  return true;
}

bool Form::DispatchOne() {
  Timer* timer = EarliestTimer();
  if (timer == nullptr || timer->due_ > clock_.Now()) return false;
  timer->due_ = clock_.Now() + std::chrono::milliseconds(timer->interval_ms_);
  if (timer->OnTimer) timer->OnTimer();
  return true;
}

void Form::ProcessMessages() {
  while (TakeCloseRequest()) {
  }
  if (native_) {
    // The OS's timers are among the window messages.
    native_->HandlePendingMessages();
    return;
  }
  const TimePoint now = clock_.Now();
  // A copy: a handler may create or destroy timers.
  const std::vector<Timer*> timers = timers_;
  for (Timer* timer : timers) {
    if (std::find(timers_.begin(), timers_.end(), timer) == timers_.end()) continue;
    if (!Armed(*timer) || timer->due_ > now) continue;
    timer->due_ = now + std::chrono::milliseconds(timer->interval_ms_);
    if (timer->OnTimer) timer->OnTimer();
  }
}

Timer* Form::EarliestTimer() const {
  Timer* earliest = nullptr;
  for (Timer* timer : timers_) {
    if (!Armed(*timer)) continue;
    if (earliest == nullptr || timer->due_ < earliest->due_) earliest = timer;
  }
  return earliest;
}

Application& TheApplication() {
  static Application application;
  return application;
}

}  // namespace dt::platform

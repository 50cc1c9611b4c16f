// The run window's user-interface model on POSIX: an event loop over a
// clock, with timers and close requests, and widgets that are plain data.
#include "platform/ui.h"

#include <algorithm>
#include <thread>
#include <utility>

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
  if (OnPaint) OnPaint(*this);
}

Timer::Timer(Form& owner, std::string name) : owner_(owner), name_(std::move(name)) {
  owner_.timers_.push_back(this);
}

Timer::~Timer() { std::erase(owner_.timers_, this); }

void Timer::SetInterval(int milliseconds) {
  interval_ms_ = milliseconds < 0 ? 0 : milliseconds;
  if (enabled_) due_ = owner_.clock_.Now() + std::chrono::milliseconds(interval_ms_);
}

void Timer::SetEnabled(bool enabled) {
  if (enabled && !enabled_) due_ = owner_.clock_.Now() + std::chrono::milliseconds(interval_ms_);
  enabled_ = enabled;
}

Form::Form(Clock& clock) : clock_(clock), owner_window_(TheApplication().Handle()) {}

Form::~Form() = default;

int Form::ShowModal() {
  Application& application = TheApplication();
  modal_result_ = mrNone;
  visible_ = true;
  ++application.modal_depth_;
  ScopeExit restore([this, &application] {
    visible_ = false;
    --application.modal_depth_;
  });
  if (OnShow) OnShow();
  while (modal_result_ == mrNone) {
    if (DispatchOne()) continue;
    const Timer* next = EarliestTimer();
    if (next == nullptr) {
      // Nothing is left that could set a result: a real window would wait
      // for a user who is not there.
      modal_result_ = mrCancel;
      break;
    }
    clock_.WaitUntil(next->due_);
  }
  return modal_result_;
}

void Form::Close() { modal_result_ = mrCancel; }

bool Form::DispatchOne() {
  if (pending_close_requests_ > 0) {
    --pending_close_requests_;
    Close();
    return true;
  }
  Timer* timer = EarliestTimer();
  if (timer == nullptr || timer->due_ > clock_.Now()) return false;
  timer->due_ = clock_.Now() + std::chrono::milliseconds(timer->interval_ms_);
  if (timer->OnTimer) timer->OnTimer();
  return true;
}

void Form::ProcessMessages() {
  while (pending_close_requests_ > 0) {
    --pending_close_requests_;
    Close();
  }
  const TimePoint now = clock_.Now();
  // A copy: a handler may create or destroy timers.
  const std::vector<Timer*> timers = timers_;
  for (Timer* timer : timers) {
    if (std::find(timers_.begin(), timers_.end(), timer) == timers_.end()) continue;
    if (!timer->enabled_ || timer->interval_ms_ == 0 || timer->due_ > now) continue;
    timer->due_ = now + std::chrono::milliseconds(timer->interval_ms_);
    if (timer->OnTimer) timer->OnTimer();
  }
}

Timer* Form::EarliestTimer() const {
  Timer* earliest = nullptr;
  for (Timer* timer : timers_) {
    if (!timer->enabled_ || timer->interval_ms_ == 0) continue;
    if (earliest == nullptr || timer->due_ < earliest->due_) earliest = timer;
  }
  return earliest;
}

Application& TheApplication() {
  static Application application;
  return application;
}

}  // namespace dt::platform

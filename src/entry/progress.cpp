// Advancing the progress bar, with the bar's own capping and redraw rule.
#include "src/entry/progress.h"

#include <cmath>
#include <cstdint>

namespace dt {

void AdvanceProgress(platform::ProgressBar& bar, int parts) {
  // The sum wraps like the bar's 32-bit arithmetic instead of overflowing.
  int value = static_cast<int>(static_cast<std::uint32_t>(bar.PartsComplete) +
                               static_cast<std::uint32_t>(parts));
  if (value == bar.PartsComplete) return;
  if (static_cast<std::uint32_t>(value) > static_cast<std::uint32_t>(bar.TotalParts)) {
    value = bar.TotalParts;
  }
  bar.PartsComplete = value;
  if (bar.TotalParts == 0) return;
  // Exact in a double for any 32-bit values; halves round away from zero.
  const long long percent = std::llround(static_cast<double>(value) * 100.0 / bar.TotalParts);
  if (percent != bar.Percent) {
    bar.Percent = static_cast<int>(percent);
    bar.Repaint();
  }
}

}  // namespace dt

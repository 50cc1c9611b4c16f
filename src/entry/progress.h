// The run's progress operation: advancing the run window's progress bar by
// a number of parts, capped at its total, redrawing it only when the shown
// percent changes.
#pragma once

#include "platform/ui.h"

namespace dt {

// Adds `parts` to bar.PartsComplete. A sum above TotalParts, compared as
// unsigned numbers (so a negative sum too), becomes TotalParts. The percent
// is PartsComplete * 100 / TotalParts rounded to the nearest whole number;
// when it differs from bar.Percent the bar takes it and is repainted at once.
// A bar of 0 total parts keeps its percent.
void AdvanceProgress(platform::ProgressBar& bar, int parts);

}  // namespace dt

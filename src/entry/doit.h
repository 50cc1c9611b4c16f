// One call of the host's entry point, short of the result string: switches
// the application window handle to the host's, shows the run window modally
// (the whole run happens inside), releases it and restores the handle.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui.h"
#include "src/entry/host_log.h"
#include "src/workdb/build.h"

namespace dt {

class TFrm_DealText;

// What a caller other than the host may change: the clock the window's
// event loop runs on, and a look at the window once it is set up and
// before it is shown (to post a close request, for instance).
struct RunCallOptions {
  platform::Clock* clock = nullptr;  // null: the system's monotonic clock
  std::function<void(TFrm_DealText&)> window_ready;
  // The templates the run takes: the plug-in the host loads on Windows
  // takes only what the host's provider reads.
  TemplateRule templates = TemplateRule::kAnyEngine;
};

// Null texts read as empty text. Returns the run result as ANSI text: the
// work database's path when the run completed, else "0". Failures of the
// run never leave this function (the window logs them); failures to make
// or show the window propagate, and the application window handle is
// restored whichever way it ends.
std::string RunDoItCall(std::uintptr_t app_handle, const char* base_dir, const char* source_dir,
                        const HostLog& log, const RunCallOptions& options = {});

}  // namespace dt

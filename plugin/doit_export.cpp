// The plug-in's one export, DoIt: the host's entry into one preprocessing
// run. The run result goes back in the host's system wide string variable;
// the host's log function is bound when the plug-in is loaded.
#include <cstdint>
#include <exception>
#include <string>

#include "host/halvaren.h"
#include "platform/module.h"
#include "platform/oleaut/oleaut.h"
#include "platform/stdcall.h"
#include "src/entry/doit.h"
#include "src/entry/run_result.h"
#include "src/entry/run_sequence.h"

namespace {

// The plug-in the host loads on Windows makes the work database only with
// the host's own engine: the host reads the result with the Jet 4.0
// provider. The build for tests under Wine, and the POSIX form, also take
// the stand-in's templates.
#if defined(_WIN32) && !defined(DEALTEXT_STANDIN_PLUGIN)
constexpr dt::TemplateRule kTemplates = dt::TemplateRule::kJetOnly;
#else
constexpr dt::TemplateRule kTemplates = dt::TemplateRule::kAnyEngine;
#endif

void SetResult(BSTR* result, const std::string& ansi_text) {
  dt::StoreRunResult(result, ansi_text, &SysReAllocStringLen);
}

}  // namespace

extern "C" DT_EXPORT void DT_STDCALL DoIt(BSTR* result, std::uintptr_t app_handle,
                                          const char* base_dir, const char* source_dir,
                                          std::uintptr_t /*not read*/) {
  // Nothing may leave through the host's C interface: a failure to make or
  // show the run window is logged like a failed run and the result stays "0".
  try {
    SetResult(result, "0");
    const dt::HostLog log(&WriteLog,
                          dt::platform::ModuleHandleOf(reinterpret_cast<const void*>(&DoIt)));
    try {
      dt::RunCallOptions options;
      options.templates = kTemplates;
      SetResult(result, dt::RunDoItCall(app_handle, base_dir, source_dir, log, options));
    } catch (const std::exception& error) {
      log.Write(dt::RunFailureMessage(error));
    }
  } catch (...) {
    // Only exhausted memory gets here; the host still holds a valid string.
  }
}

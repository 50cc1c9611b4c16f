// One entry-point call: the run window shown modally in front of the host.
#include "src/entry/doit.h"

#include <memory>

#include "platform/com_scope.h"
#include "src/entry/run_sequence.h"
#include "src/entry/run_window.h"
#include "src/workdb/work_paths.h"

namespace dt {
namespace {

// Keeps the library's own application window handle while the host's is in
// place, and puts it back when the call ends. A local holder, so repeated
// calls leave nothing behind.
class ApplicationHandleScope {
 public:
  explicit ApplicationHandleScope(std::uintptr_t host_handle)
      : saved_(platform::TheApplication().Handle()) {
    platform::TheApplication().SetHandle(host_handle);
  }
  ~ApplicationHandleScope() { platform::TheApplication().SetHandle(saved_); }
  ApplicationHandleScope(const ApplicationHandleScope&) = delete;
  ApplicationHandleScope& operator=(const ApplicationHandleScope&) = delete;

 private:
  std::uintptr_t saved_;
};

std::string TextOf(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

}  // namespace

std::string RunDoItCall(std::uintptr_t app_handle, const char* base_dir, const char* source_dir,
                        const HostLog& log, const RunCallOptions& options) {
  ApplicationHandleScope handle_scope(app_handle);
  // COM for the run's database engine; ends after the window and its
  // connection are released.
  const platform::ComScope com;
  platform::Clock& clock = options.clock != nullptr ? *options.clock : platform::SystemClock();
  // Released before the handle is restored: declared after the scope.
  auto window = std::make_unique<TFrm_DealText>(log, clock);
  window->SetSourceDirectory(TextOf(source_dir));
  window->SetBaseDirectory(TextOf(base_dir));
  window->SetStagingDirectory(StagingDirectoryFor(TextOf(base_dir)));
  window->SetTemplateRule(options.templates);
  if (options.window_ready) options.window_ready(*window);
  const int modal_result = window->ShowModal();
  return modal_result == platform::mrOk ? window->ResultPath() : std::string("0");
}

}  // namespace dt

// The installed file faults (file_faults.h): none, unless a test puts some.
#include "platform/file_faults.h"

namespace dt::platform {

namespace detail {
std::atomic<FileFaults*> installed_file_faults{nullptr};
}  // namespace detail

void SetFileFaults(FileFaults* faults) noexcept {
  detail::installed_file_faults.store(faults, std::memory_order_release);
}

}  // namespace dt::platform

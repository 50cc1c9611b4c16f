// COM on the calling thread, over CoInitializeEx.
#include "platform/com_scope.h"

#include <objbase.h>

namespace dt::platform {

// S_OK and S_FALSE (initialised already, in the same model) are both undone.
ComScope::ComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComScope::~ComScope() {
  if (initialised_) CoUninitialize();
}

}  // namespace dt::platform

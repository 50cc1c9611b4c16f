// Forms on POSIX are not drawn: every form runs the model's own loop.
#include "platform/common/native_window.h"

namespace dt::platform {

std::unique_ptr<NativeWindow> OpenNativeWindow(Form&) { return nullptr; }

}  // namespace dt::platform

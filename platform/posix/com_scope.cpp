// No COM on POSIX: the scope does nothing.
#include "platform/com_scope.h"

namespace dt::platform {

ComScope::ComScope() = default;
ComScope::~ComScope() = default;

}  // namespace dt::platform

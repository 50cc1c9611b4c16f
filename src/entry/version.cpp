// The version the build stamps into the system (the project version).
#include "src/entry/version.h"

namespace dt {

const char* Version() noexcept { return DEALTEXT_VERSION; }

}  // namespace dt

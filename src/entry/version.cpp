// The version and commit the build stamps into the system.
#include "src/entry/version.h"

#include "dealtext_version.h"

namespace dt {

const char* Version() noexcept { return DEALTEXT_VERSION; }

const char* Commit() noexcept { return DEALTEXT_COMMIT; }

}  // namespace dt

// The system's version, as the tool reports it: the project version and the
// commit the build was made from.
#pragma once

namespace dt {

// The project version, "MAJOR.MINOR.PATCH".
const char* Version() noexcept;

// The commit the sources were built from, abbreviated, with "-modified" when
// tracked files differed from it; "unknown" outside a git checkout.
const char* Commit() noexcept;

}  // namespace dt

// The system's version, as the tool and the host program report it.
#pragma once

namespace dt {

const char* Version() noexcept;

}  // namespace dt

// Terminal detection on POSIX, for the command-line tool's progress view.
#include "platform/terminal.h"

#include <unistd.h>

namespace dt::platform {

bool StandardErrorIsTerminal() noexcept { return isatty(STDERR_FILENO) != 0; }

}  // namespace dt::platform

// Terminal detection on Windows, for the command-line tool's progress view:
// standard error is a console when the console gives its mode.
#include "platform/terminal.h"

#include <windows.h>

namespace dt::platform {

bool StandardErrorIsTerminal() noexcept {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace dt::platform

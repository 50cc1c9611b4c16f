// What the file services of both platforms share in their error reports:
// the OS's text cut to the form the file errors carry. Only the platform's
// own files include this.
#pragma once

#include <string>

namespace dt::platform {

// `text` (ANSI) cut to at most 255 bytes on a character boundary, then
// every trailing byte that is a period or <= 32 removed.
std::string TidySystemText(std::string text);

}  // namespace dt::platform

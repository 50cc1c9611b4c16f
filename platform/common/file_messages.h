// What the file services of both platforms share in their error reports:
// the OS's text cut to the form the file errors carry, and the messages of
// those errors. Only the platform's own files include this.
#pragma once

#include <string>

namespace dt::platform {

// `text` (ANSI) cut to at most 255 bytes on a character boundary, then
// every trailing byte that is a period or <= 32 removed.
std::string TidySystemText(std::string text);

// `frame` + " "<absolute path>". " + the OS's text for `error_code`, as
// "Cannot open file "C:\data\BOOK.TXT". <system text>".
std::string FileErrorMessage(const char* frame, const std::string& ansi_path, int error_code);

}  // namespace dt::platform

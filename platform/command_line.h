// The program's arguments as UTF-8, whatever the platform hands over: on
// POSIX the terminal's bytes as they are (UTF-8 here), on Windows the UTF-16
// command line, so that no character is lost to the process's ANSI code page.
#pragma once

#include <string>
#include <vector>

namespace dt::platform {

// `argc` and `argv` are main's; on Windows they are ignored in favour of the
// wide command line.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace dt::platform

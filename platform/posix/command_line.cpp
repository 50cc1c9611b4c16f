// The program's arguments on POSIX: the bytes as the terminal sent them.
#include "platform/command_line.h"

namespace dt::platform {

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }

}  // namespace dt::platform

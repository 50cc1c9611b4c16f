// dealtext --base DIR --source DIR [--log FILE] [--quiet]
#include <iostream>

#include "cli/tool.h"
#include "platform/terminal.h"

int main(int argc, char** argv) {
  return dt::cli::RunTool(argc, argv, std::cout, std::cerr,
                          dt::platform::StandardErrorIsTerminal());
}

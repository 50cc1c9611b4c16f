// dealtext --base DIR --source DIR [--log FILE] [--quiet]
#include <unistd.h>

#include <iostream>

#include "cli/tool.h"

int main(int argc, char** argv) {
  return dt::cli::RunTool(argc, argv, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}

// dealtext --base DIR --source DIR [--log FILE] [--quiet] [--encoding auto|gbk|utf-8]
#include <iostream>
#include <string>
#include <vector>

#include "cli/tool.h"
#include "platform/command_line.h"
#include "platform/terminal.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = dt::platform::Utf8Arguments(argc, argv);
  std::vector<const char*> pointers;
  pointers.reserve(arguments.size());
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  return dt::cli::RunTool(static_cast<int>(pointers.size()), pointers.data(), std::cout, std::cerr,
                          dt::platform::StandardErrorIsTerminal());
}

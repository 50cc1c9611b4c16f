// The command-line tool: one run of the system over a base directory and a
// source directory, the same run sequence as the plug-in's run window
// without its one-second wait.
#pragma once

#include <ostream>

namespace dt::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitUsage = 2;

// Parses the arguments (UTF-8) and runs. Standard output gets only the
// result path (a path it cannot write there ends the tool with
// kExitRunFailed); `err` gets progress, log messages, the summary and errors.
// `err_is_terminal` chooses the redrawn progress bar over plain lines.
int RunTool(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
            bool err_is_terminal);

}  // namespace dt::cli

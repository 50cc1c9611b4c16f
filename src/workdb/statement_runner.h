// The statement runner: runs one statement whose failure the build
// tolerates. A failure is written to the host log as
//   "SQL=" + statement + "不能执行" + the error's message   (ANSI, no line end)
// and swallowed; success logs nothing. A failure of the disk or the system
// under the engine (EOleIoError) is no failure of the statement: it is
// logged the same way and then passed on, and ends the run. Only the
// execution is guarded: an error while preparing the command reaches the
// caller.
#pragma once

#include <functional>
#include <string>

#include "src/workdb/build_events.h"

namespace dt {

class Connection;

// Runs `ansi_statement` once on `connection` through a statement command of
// its own, released whichever way the execution ends.
void RunStatement(const std::string& ansi_statement, Connection& connection, BuildEvents& events);

// The guard itself: calls `execute`; an Exception it raises is logged for
// `ansi_statement` as above and not passed on, unless it is an EOleIoError.
// Anything that is not an Exception passes.
void RunGuarded(const std::string& ansi_statement, const std::function<void()>& execute,
                BuildEvents& events);

// The statement failure message for `ansi_statement` and `ansi_error`.
std::string StatementFailureMessage(const std::string& ansi_statement,
                                    const std::string& ansi_error);

}  // namespace dt

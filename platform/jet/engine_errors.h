// The engine's error messages for failures that SQLite reports. SQLite's own
// texts ("no such table: x") become the messages a user of the engine
// understands ("Table 'x' does not exist"); a message the engine does not
// recognise keeps SQLite's text after a sentence saying what failed.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace dt::jet {

// The message for the last failure on `db`; `what` says what was being done
// ("Cannot run the statement") and is used only for unrecognised failures.
std::string DescribeFailure(sqlite3* db, std::string_view what);

// Maps one SQLite message (without the result code).
std::string TranslateMessage(std::string_view sqlite_message, std::string_view what);

[[noreturn]] void ThrowFailure(sqlite3* db, std::string_view what);

}  // namespace dt::jet

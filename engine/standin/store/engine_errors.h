// The engine's errors for failures that SQLite reports. SQLite's own texts
// ("no such table: x") become the messages a user of the engine understands
// ("Table 'x' does not exist") and the kind they name (kMissingTable); a
// message the engine does not recognise keeps SQLite's text after a sentence
// saying what failed. Where the result code says the disk or the system
// failed (SQLITE_IOERR, FULL, CANTOPEN, READONLY, CORRUPT ...) the kind is
// kIo, whatever the text.
#pragma once

#include <sqlite3.h>

#include <string_view>

#include "engine/error.h"

namespace dt::engine::standin {

// The kind a result code (primary or extended) names by itself: kIo for a
// failure of the disk or the system, kTooComplex for a statement or value
// beyond SQLite's limits, kOther for anything else.
ErrorKind KindOfResult(int result_code);

// The error for one SQLite failure, from its result code and its message;
// `what` says what was being done ("Cannot run the statement") and is used
// only for unrecognised messages.
Error TranslateFailure(int result_code, std::string_view sqlite_message, std::string_view what);

// The error for the last failure on `db`.
Error FailureOf(sqlite3* db, std::string_view what);

[[noreturn]] void ThrowFailure(sqlite3* db, std::string_view what);

}  // namespace dt::engine::standin

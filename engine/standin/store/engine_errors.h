// The engine's errors for failures that SQLite reports. SQLite's result code
// alone decides the kind: the disk or the system failing (SQLITE_IOERR,
// FULL, CANTOPEN, READONLY, CORRUPT ...) is kIo, memory running out
// kResources, a database that another connection holds kLocked. SQLite's
// text is kept as the description, after a sentence saying what failed, and
// is never read: what no result code tells (a field that does not exist,
// too many values, which constraint refused a row) the engine finds in its
// own catalogue (failure_diagnosis.h).
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <utility>

#include "engine/error.h"

namespace dt::engine::standin {

class Database;

// A failure SQLite reported, with its extended result code and its own text
// for the engine's checks that look further into it.
class SqliteFailure : public Error {
 public:
  SqliteFailure(ErrorKind kind, std::string detail, int result_code, std::string sqlite_message)
      : Error(kind, std::move(detail)),
        result_code_(result_code),
        sqlite_message_(std::move(sqlite_message)) {}
  int result_code() const noexcept { return result_code_; }
  const std::string& sqlite_message() const noexcept { return sqlite_message_; }

 private:
  int result_code_;
  std::string sqlite_message_;
};

// The kind a result code (primary or extended) names: kIo for a failure of
// the disk or the system, kResources for memory that ran out, kLocked for a
// database locked or busy elsewhere, kTooComplex for a value beyond SQLite's
// limits, kDataTypeMismatch for a value of the wrong type, kOther for the
// rest.
ErrorKind KindOfResult(int result_code);

// The error for one SQLite failure on the database file `file` (UTF-8).
// The description is `what` ("Cannot run the statement") + ": " + SQLite's
// text; for a locked database it names the file, "Could not use '<file>';
// file already in use."; a type mismatch keeps its text alone (the engine's
// own functions word it).
SqliteFailure TranslateFailure(int result_code, std::string_view sqlite_message,
                               std::string_view what, std::string_view file);

// The error for the last failure on `db`.
SqliteFailure FailureOf(const Database& db, std::string_view what);

[[noreturn]] void ThrowFailure(const Database& db, std::string_view what);

}  // namespace dt::engine::standin

// Maps SQLite's failures to the engine's errors by their result codes.
#include "engine/standin/store/engine_errors.h"

#include "engine/standin/store/sqlite_db.h"

namespace dt::engine::standin {

ErrorKind KindOfResult(int result_code) {
  switch (result_code & 0xFF) {
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_CORRUPT:
    case SQLITE_PERM:
    case SQLITE_NOLFS:
      return ErrorKind::kIo;
    case SQLITE_NOMEM:
      return ErrorKind::kResources;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ErrorKind::kLocked;
    case SQLITE_TOOBIG:
      return ErrorKind::kTooComplex;
    case SQLITE_MISMATCH:
      return ErrorKind::kDataTypeMismatch;
    default:
      return ErrorKind::kOther;
  }
}

SqliteFailure TranslateFailure(int result_code, std::string_view sqlite_message,
                               std::string_view what, std::string_view file) {
  const ErrorKind kind = KindOfResult(result_code);
  std::string detail;
  switch (kind) {
    case ErrorKind::kLocked:
      detail = "Could not use '" + std::string(file) + "'; file already in use.";
      break;
    case ErrorKind::kDataTypeMismatch:
      detail = sqlite_message;
      break;
    default:
      detail = std::string(what) + ": " + std::string(sqlite_message);
      break;
  }
  return SqliteFailure(kind, std::move(detail), result_code, std::string(sqlite_message));
}

SqliteFailure FailureOf(const Database& db, std::string_view what) {
  return TranslateFailure(sqlite3_extended_errcode(db.get()), sqlite3_errmsg(db.get()), what,
                          db.path());
}

void ThrowFailure(const Database& db, std::string_view what) { throw FailureOf(db, what); }

}  // namespace dt::engine::standin

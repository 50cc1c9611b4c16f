// Maps SQLite's failures to the engine's errors: the kind from the result
// code where it tells, else from the message, which becomes the engine's
// own wording.
#include "engine/standin/store/engine_errors.h"

#include <array>
#include <string>

#include "engine/standin/sql/column_types.h"
#include "engine/standin/sql/sql_text.h"

namespace dt::engine::standin {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Limits SQLite words in its own way: too deep an expression, too many
// terms, columns or arguments.
bool NamesALimit(std::string_view message) {
  return StartsWith(message, "Expression tree is too large") || StartsWith(message, "too many ");
}

// The engine's wording and kind for a message of SQLite's; kOther, and
// SQLite's text after `what`, for one it does not recognise.
Error TranslateMessage(std::string_view message, std::string_view what) {
  struct Pattern {
    std::string_view prefix;
    std::string_view before;
    std::string_view after;
    ErrorKind kind;
  };
  static constexpr std::array<Pattern, 6> kPatterns = {{
      {"no such table: ", "Table '", "' does not exist", ErrorKind::kMissingTable},
      {"no such column: ", "Field '", "' does not exist", ErrorKind::kMissingField},
      // "table x already exists"
      {"table ", "Table '", "' already exists", ErrorKind::kAlreadyExists},
      {"duplicate column name: ", "Field '", "' already exists", ErrorKind::kAlreadyExists},
      {"ambiguous column name: ", "Field '", "' could refer to more than one table",
       ErrorKind::kSyntax},
      {"no such function: ", "Undefined function '", "' in expression", ErrorKind::kUnsupported},
  }};
  for (const Pattern& pattern : kPatterns) {
    if (!StartsWith(message, pattern.prefix)) continue;
    std::string_view name = message.substr(pattern.prefix.size());
    if (pattern.prefix == "table ") {
      constexpr std::string_view kTail = " already exists";
      if (name.size() <= kTail.size() || name.substr(name.size() - kTail.size()) != kTail) {
        continue;
      }
      name.remove_suffix(kTail.size());
    }
    if (name.starts_with("main.")) name.remove_prefix(5);
    // SQLite repeats a name as the statement wrote it, quotes included.
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
      name = name.substr(1, name.size() - 2);
    }
    return Error(pattern.kind,
                 std::string(pattern.before) + std::string(name) + std::string(pattern.after));
  }
  // "2 values for 3 columns", or "table T has 2 columns but 3 values were
  // supplied".
  if (message.find(" values for ") != std::string_view::npos ||
      message.find(" values were supplied") != std::string_view::npos) {
    return Error(ErrorKind::kSyntax,
                 "Number of query values and destination fields are not the same (" +
                     std::string(message) + ")");
  }
  if (message == "parser stack overflow") {
    return Error(ErrorKind::kTooComplex,
                 "Statement too complex: it nests too deeply for the engine");
  }
  // The check that holds a text field to its declared size.
  if (message == Concat({"CHECK constraint failed: ", kFieldSizeConstraint})) {
    return Error(ErrorKind::kFieldTooSmall,
                 "The field is too small to accept the amount of data you attempted to add. "
                 "Try inserting or pasting less data.");
  }
  // The engine's own functions report in the engine's words already.
  if (StartsWith(message, "Data type mismatch")) {
    return Error(ErrorKind::kDataTypeMismatch, std::string(message));
  }
  return Error(NamesALimit(message) ? ErrorKind::kTooComplex : ErrorKind::kOther,
               std::string(what) + ": " + std::string(message));
}

}  // namespace

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
    case SQLITE_TOOBIG:
      return ErrorKind::kTooComplex;
    default:
      return ErrorKind::kOther;
  }
}

Error TranslateFailure(int result_code, std::string_view message, std::string_view what) {
  Error error = TranslateMessage(message, what);
  // The result code tells a failing disk from a bad statement more surely
  // than any text.
  const ErrorKind by_code = KindOfResult(result_code);
  if (by_code == ErrorKind::kIo || error.kind() == ErrorKind::kOther) {
    return Error(by_code, error.detail());
  }
  return error;
}

Error FailureOf(sqlite3* db, std::string_view what) {
  if (db == nullptr) return Error(ErrorKind::kOther, std::string(what) + ": out of memory");
  return TranslateFailure(sqlite3_extended_errcode(db), sqlite3_errmsg(db), what);
}

void ThrowFailure(sqlite3* db, std::string_view what) { throw FailureOf(db, what); }

}  // namespace dt::engine::standin

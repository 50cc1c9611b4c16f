// The database engines' errors: a kind that says what went wrong, the
// engine's own description, and, for an error that comes from a text file,
// the file, line and byte position where it was found. The message a user
// reads is formatted once, by Message(), where the engine's caller turns the
// error into one of its own; inside the engine an error is a value to test,
// never text to parse.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <utility>

namespace dt::engine {

enum class ErrorKind {
  kSyntax,            // the statement cannot be read
  kTooComplex,        // it nests or names more than the engine takes
  kUnsupported,       // it reads, but the engine does not do it
  kMissingTable,      // a table that does not exist
  kMissingField,      // a field that does not exist
  kAlreadyExists,     // a table or field that exists already
  kDataTypeMismatch,  // a value the operation cannot take
  kFieldTooSmall,     // a value longer than its field's declared size
  kNoResultSet,       // a row query over a statement that returns no rows
  kNotFound,          // a file, folder, provider or row that the caller named
  kInvalidArgument,   // the caller's request makes no sense (state, range)
  kTextFormat,        // a text file that cannot be read as a table
  kIo,                // the disk or the system failed: full, unreadable, unwritable
  kResources,         // the system ran out of memory, threads or file descriptors
  kLocked,            // the database is locked or busy by another process
  kOther,             // anything else the underlying engine reports
};

// What the engine was doing with a text file when an error arose. It decides
// how the message names the place:
enum class TextStep {
  kOpen,          // Cannot open text file "<file>": <detail>
  kRead,          // Cannot read text file "<file>" near line <line>: <detail>
  kFindHeader,    // Text file '<file>' <detail>, saying what the file lacks
  kImportHeader,  // Cannot import the header line <line> of '<file>': <detail>
  kImportLine,    // Cannot import line <line> of '<file>': <detail>
};

// Where in a text file an error was found. `line` is 1-based (0 for the file
// as a whole); `byte` is the offset from the start of the file of the record
// or read that failed.
struct TextPosition {
  std::string file;  // UTF-8 path
  std::int64_t line = 0;
  std::int64_t byte = 0;
  TextStep step = TextStep::kRead;
};

class Error : public std::exception {
 public:
  Error(ErrorKind kind, std::string detail) : kind_(kind), detail_(std::move(detail)) {}
  Error(ErrorKind kind, std::string detail, TextPosition where)
      : kind_(kind), detail_(std::move(detail)), where_(std::move(where)) {}

  ErrorKind kind() const noexcept { return kind_; }
  // The engine's description, without the position.
  const std::string& detail() const noexcept { return detail_; }
  const std::optional<TextPosition>& where() const noexcept { return where_; }
  const char* what() const noexcept override { return detail_.c_str(); }

 private:
  ErrorKind kind_;
  std::string detail_;
  std::optional<TextPosition> where_;
};

// Whether an error of `kind` is a failure of the system under the engine
// rather than of the statement: the build cannot go on past it, even where
// it tolerates a failed statement.
constexpr bool IsSystemFailure(ErrorKind kind) {
  return kind == ErrorKind::kIo || kind == ErrorKind::kResources || kind == ErrorKind::kLocked;
}

// Raised by a query over a statement that returns no rows.
class NoResultSetError : public Error {
 public:
  explicit NoResultSetError(std::string detail)
      : Error(ErrorKind::kNoResultSet, std::move(detail)) {}
};

// The message a user reads: the description, framed by the step, the file
// and the line when the error comes from a text file. UTF-8.
std::string Message(const Error& error);

}  // namespace dt::engine

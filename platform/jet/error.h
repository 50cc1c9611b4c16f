// The work-database engine's errors: a kind that says what went wrong, the
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

namespace dt::jet {

enum class ErrorKind {
  kSyntax,            // the statement cannot be read
  kTooComplex,        // it nests or names more than the engine takes
  kUnsupported,       // it reads, but the engine does not do it
  kMissingTable,      // a table that does not exist
  kMissingField,      // a field that does not exist
  kAlreadyExists,     // a table or field that exists already
  kDataTypeMismatch,  // a value the operation cannot take
  kNoResultSet,       // a row query over a statement that returns no rows
  kNotFound,          // a file, folder or provider that the caller named
  kInvalidArgument,   // the caller's request makes no sense (state, range)
  kTextFormat,        // a text file that cannot be read as a table
  kIo,                // the disk or the system failed: full, unreadable, unwritable
  kOther,             // anything else the underlying engine reports
};

// Where in a text file an error was found. `line` is 1-based; `byte` is the
// offset from the start of the file (0 when unknown).
struct TextPosition {
  std::string file;  // UTF-8 path
  std::int64_t line = 0;
  std::int64_t byte = 0;
};

class Error : public std::exception {
 public:
  // TRANSITIONAL: an error of kind kOther; goes once every raise names its kind.
  explicit Error(std::string detail) : Error(ErrorKind::kOther, std::move(detail)) {}
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

// The message a user reads: the description, with the file and line when
// the error comes from a text file. UTF-8.
std::string Message(const Error& error);

}  // namespace dt::jet

// The system's one error hierarchy. Every failure is raised as an Exception
// (or a kind derived from it) carrying its message as ANSI text; the two
// catch points, the statement runner and the run window's timer handler,
// log that message unchanged.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace dt {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  // The message in the ANSI code page.
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

#define DT_DECLARE_ERROR(Name)    \
  class Name : public Exception { \
   public:                        \
    using Exception::Exception;   \
  }

// Line list index out of range: "List index out of bounds (%d)".
DT_DECLARE_ERROR(EStringListError);
// A file could not be opened for reading: "Cannot open file "%s". %s".
DT_DECLARE_ERROR(EFOpenError);
// A file could not be created for writing: "Cannot create file "%s". %s".
DT_DECLARE_ERROR(EFCreateError);
// A file took fewer bytes than were written: "Stream write error".
DT_DECLARE_ERROR(EWriteError);
// The database engine rejected an operation; message is the engine's own.
DT_DECLARE_ERROR(EOleException);
// Misuse of the data access component ("Field '%s' not found", ...).
DT_DECLARE_ERROR(EDatabaseError);

#undef DT_DECLARE_ERROR

// The engine failed at the disk or the system underneath it: full,
// unreadable, unwritable, cannot be opened. Unlike a statement the engine
// rejects, this ends the run even where a statement's failure is tolerated,
// so that no success is reported over a missing or stale table.
class EOleIoError : public EOleException {
 public:
  using EOleException::EOleException;
};

}  // namespace dt

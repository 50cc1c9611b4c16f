// The engine's wording and kinds of failures that SQLite reports, and the
// one formatting of an error into the message a user reads.
#include "engine/standin/store/engine_errors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/error.h"

namespace dt::engine::standin {
namespace {

TEST(JetErrors, SqliteMessagesBecomeTheEnginesOwn) {
  struct Case {
    std::string sqlite;
    std::string engine;
    ErrorKind kind;
  };
  const std::vector<Case> cases = {
      {"no such table: PZ", "Table 'PZ' does not exist", ErrorKind::kMissingTable},
      {"no such table: main.PZ", "Table 'PZ' does not exist", ErrorKind::kMissingTable},
      {"no such column: a.SID", "Field 'a.SID' does not exist", ErrorKind::kMissingField},
      {"table \"KMYE\" already exists", "Table 'KMYE' already exists", ErrorKind::kAlreadyExists},
      {"table KMYE already exists", "Table 'KMYE' already exists", ErrorKind::kAlreadyExists},
      {"duplicate column name: NewCode", "Field 'NewCode' already exists",
       ErrorKind::kAlreadyExists},
      {"ambiguous column name: SID", "Field 'SID' could refer to more than one table",
       ErrorKind::kSyntax},
      {"no such function: frob", "Undefined function 'frob' in expression",
       ErrorKind::kUnsupported},
      {"Data type mismatch in expression: 'x' is not a date",
       "Data type mismatch in expression: 'x' is not a date", ErrorKind::kDataTypeMismatch},
      {"table T has 2 columns but 3 values were supplied",
       "Number of query values and destination fields are not the same (table T has 2 columns "
       "but 3 values were supplied)",
       ErrorKind::kSyntax},
      {"2 values for 1 columns",
       "Number of query values and destination fields are not the same (2 values for 1 columns)",
       ErrorKind::kSyntax},
      {"1st ORDER BY term out of range - should be between 1 and 2",
       "Cannot run the statement: 1st ORDER BY term out of range - should be between 1 and 2",
       ErrorKind::kOther},
      {"database is locked", "Cannot run the statement: database is locked", ErrorKind::kOther},
      {"parser stack overflow", "Statement too complex: it nests too deeply for the engine",
       ErrorKind::kTooComplex},
      {"too many terms in compound SELECT",
       "Cannot run the statement: too many terms in compound SELECT", ErrorKind::kTooComplex},
      {"CHECK constraint failed: jet_field_size",
       "The field is too small to accept the amount of data you attempted to add. Try inserting "
       "or pasting less data.",
       ErrorKind::kFieldTooSmall},
      {"CHECK constraint failed: price > 0",
       "Cannot run the statement: CHECK constraint failed: price > 0", ErrorKind::kOther},
      {"Expression tree is too large (maximum depth 1000)",
       "Cannot run the statement: Expression tree is too large (maximum depth 1000)",
       ErrorKind::kTooComplex},
  };
  for (const Case& c : cases) {
    const Error error = TranslateFailure(SQLITE_ERROR, c.sqlite, "Cannot run the statement");
    EXPECT_EQ(error.detail(), c.engine) << c.sqlite;
    EXPECT_EQ(error.kind(), c.kind) << c.sqlite;
    EXPECT_FALSE(error.where()) << c.sqlite;
  }
}

// A later step must tell a failing disk from a bad statement: the result
// code decides, whatever SQLite's text says.
TEST(JetErrors, ResultCodesOfTheDiskAndTheSystemAreIo) {
  struct Case {
    int code;
    std::string sqlite;
    ErrorKind kind;
  };
  const std::vector<Case> cases = {
      {SQLITE_FULL, "database or disk is full", ErrorKind::kIo},
      {SQLITE_IOERR_WRITE, "disk I/O error", ErrorKind::kIo},
      {SQLITE_IOERR_FSYNC, "disk I/O error", ErrorKind::kIo},
      {SQLITE_CANTOPEN, "unable to open database file", ErrorKind::kIo},
      {SQLITE_READONLY_DBMOVED, "attempt to write a readonly database", ErrorKind::kIo},
      {SQLITE_CORRUPT, "database disk image is malformed", ErrorKind::kIo},
      {SQLITE_IOERR, "no such table: looks like a statement", ErrorKind::kIo},
      {SQLITE_TOOBIG, "string or blob too big", ErrorKind::kTooComplex},
      {SQLITE_BUSY, "database is locked", ErrorKind::kOther},
      {SQLITE_CONSTRAINT_NOTNULL, "NOT NULL constraint failed: T.A", ErrorKind::kOther},
      {SQLITE_NOTADB, "file is not a database", ErrorKind::kOther},
  };
  for (const Case& c : cases) {
    const Error error = TranslateFailure(c.code, c.sqlite, "Cannot run the statement");
    EXPECT_EQ(error.kind(), c.kind) << c.code << " " << c.sqlite;
    EXPECT_EQ(error.kind() == ErrorKind::kIo, KindOfResult(c.code) == ErrorKind::kIo) << c.code;
  }
  // The disk's failures keep the text users have always read.
  EXPECT_EQ(TranslateFailure(SQLITE_FULL, "database or disk is full", "Cannot run the statement")
                .detail(),
            "Cannot run the statement: database or disk is full");
}

TEST(JetErrors, MessageFramesTheDetailWithTheTextFileAndLine) {
  struct Case {
    TextStep step;
    std::string message;
  };
  const std::vector<Case> cases = {
      {TextStep::kOpen, "Cannot open text file \"/in/B.txt\": Permission denied"},
      {TextStep::kRead, "Cannot read text file \"/in/B.txt\" near line 7: Permission denied"},
      {TextStep::kFindHeader, "Text file '/in/B.txt' Permission denied"},
      {TextStep::kImportHeader,
       "Cannot import the header line 7 of '/in/B.txt': Permission denied"},
      {TextStep::kImportLine, "Cannot import line 7 of '/in/B.txt': Permission denied"},
  };
  for (const Case& c : cases) {
    const Error error(ErrorKind::kIo, "Permission denied",
                      TextPosition{"/in/B.txt", 7, 96, c.step});
    EXPECT_EQ(Message(error), c.message);
    EXPECT_EQ(error.detail(), "Permission denied");
  }
  EXPECT_EQ(Message(Error(ErrorKind::kMissingTable, "Table 'PZ' does not exist")),
            "Table 'PZ' does not exist");
}

}  // namespace
}  // namespace dt::engine::standin

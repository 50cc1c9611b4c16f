// The engine's wording and kinds of failures that SQLite reports, and the
// one formatting of an error into the message a user reads.
#include "engine/standin/store/engine_errors.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/error.h"
#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

// A statement, the description of the error it must raise, and its kind.
struct Refusal {
  std::string sql;
  std::string engine;
  ErrorKind kind;
};

// The engine::Error that running `sql` on `session` raises, if any.
std::optional<Error> RaisedBy(StandInEngine& session, const std::string& sql) {
  try {
    session.Execute(sql);
  } catch (const Error& error) {
    return error;
  }
  return std::nullopt;
}

void ExpectRefused(StandInEngine& session, const std::vector<Refusal>& refusals) {
  for (const Refusal& c : refusals) {
    const std::optional<Error> error = RaisedBy(session, c.sql);
    ASSERT_TRUE(error) << c.sql;
    EXPECT_EQ(error->detail(), c.engine) << c.sql;
    EXPECT_EQ(error->kind(), c.kind) << c.sql;
    EXPECT_FALSE(error->where()) << c.sql;
  }
}

// What a statement names that is not there, or is there twice, and values
// that do not fit are found by the engine's own checks and its catalogue,
// never in SQLite's text, and worded as the Windows engine words them.
TEST(EngineErrorsTest, TheCatalogueSaysWhatIsMissingOrTwice) {
  testing::ScratchDir dir;
  StandInEngine session;
  testing::OpenEmptyDatabase(dir, session);
  session.Execute("create table KMYE (SID text, N integer)");
  session.Execute("create table T (A text, B text)");
  session.Execute("create table U (SID text)");
  session.Execute("insert into KMYE values ('1', 1)");
  const std::vector<Refusal> cases = {
      {"select * from PZ", "Table 'PZ' does not exist", ErrorKind::kMissingTable},
      {"select N from KMYE, PZ", "Table 'PZ' does not exist", ErrorKind::kMissingTable},
      {"select a.SID from T a", "Field 'a.SID' does not exist", ErrorKind::kMissingField},
      {"select XID from KMYE where N = 1", "Field 'XID' does not exist", ErrorKind::kMissingField},
      {"update KMYE set N = M + 1", "Field 'M' does not exist", ErrorKind::kMissingField},
      {"delete from KMYE where M = 1", "Field 'M' does not exist", ErrorKind::kMissingField},
      {"create table KMYE (X text)", "Table 'KMYE' already exists", ErrorKind::kAlreadyExists},
      {"create table D (NewCode text, NewCode text)", "Field 'NewCode' already exists",
       ErrorKind::kAlreadyExists},
      {"select SID from KMYE, U", "Field 'SID' could refer to more than one table",
       ErrorKind::kSyntax},
      {"select frob(N) from KMYE", "Undefined function 'frob' in expression",
       ErrorKind::kUnsupported},
      {"select cdate('x') from KMYE", "Data type mismatch in expression: 'x' is not a date",
       ErrorKind::kDataTypeMismatch},
      {"select N + 'b' from KMYE", "Data type mismatch in expression: 'b' is not a number",
       ErrorKind::kDataTypeMismatch},
      {"insert into T values ('1', '2', '3')",
       "Number of query values and destination fields are not the same (table T has 2 columns "
       "but 3 values were supplied)",
       ErrorKind::kSyntax},
      {"insert into T (A) values ('1', '2')",
       "Number of query values and destination fields are not the same (2 values for 1 columns)",
       ErrorKind::kSyntax},
      {"insert into T select * from KMYE, U",
       "Number of query values and destination fields are not the same (table T has 2 columns "
       "but 3 values were supplied)",
       ErrorKind::kSyntax},
      // What the catalogue cannot explain keeps SQLite's text after what failed.
      {"select N from KMYE order by 3",
       "Cannot prepare the statement: 1st ORDER BY term out of range - should be between 1 and 1",
       ErrorKind::kOther},
  };
  ExpectRefused(session, cases);
  // A query is explained alike.
  EXPECT_EQ(testing::ErrorOf([&] { session.Query("select a.SID from T a"); }),
            "Field 'a.SID' does not exist");
  // A field named by its alias is no missing field.
  EXPECT_EQ(session.Query("select N as M from KMYE order by M").rows.size(), 1u);
}

// Only the engine's own field size checks make a refused row "too small";
// a template's other checks keep SQLite's account of what was refused.
TEST(EngineErrorsTest, RowsRefusedByOtherChecksKeepSqlitesText) {
  testing::ScratchDir dir;
  dir.Write("work.mdb", "");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dir.File("work.mdb").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "create table Price (price integer check (price > 0));"
                         "create table Both (A varchar(2) constraint jet_field_size check "
                         "(length(A) <= 2), price integer check (price > 0));"
                         "create table \"check\" (\"check\" TEXT(2) CONSTRAINT \"jet_field_size\" "
                         "CHECK (length(\"check\") <= 2))",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  StandInEngine session;
  session.Open(testing::DatabaseConnection(dir.File("work.mdb")));
  const std::vector<Refusal> cases = {
      {"insert into Price values (0)",
       "Cannot run the statement: CHECK constraint failed: price > 0", ErrorKind::kOther},
      {"insert into Both (price) values (0)",
       "Cannot run the statement: CHECK constraint failed: price > 0", ErrorKind::kOther},
      {"insert into [check] values ('abc')",
       "The field is too small to accept the amount of data you attempted to add. Try inserting "
       "or pasting less data.",
       ErrorKind::kFieldTooSmall},
  };
  ExpectRefused(session, cases);
}

// Statements beyond what the engine takes are kTooComplex by the engine's
// own limits, which come before SQLite's: up to them a statement runs.
TEST(EngineErrorsTest, LimitsAreTheEnginesOwn) {
  testing::ScratchDir dir;
  StandInEngine session;
  testing::OpenEmptyDatabase(dir, session);
  session.Execute("create table One (N integer)");
  session.Execute("insert into One values (1)");
  std::string sum = "select N";
  std::string negations = "select * from One where";
  for (int i = 0; i < 150; ++i) sum += " + N";
  for (int i = 0; i < 90; ++i) negations += " NOT NOT";
  EXPECT_EQ(session.Query(sum + " from One").rows.at(0).at(0), "151");
  EXPECT_EQ(session.Query(negations + " N = 1").rows.size(), 1u);

  const int most = 2000;  // the build's SQLITE_MAX_COLUMN
  std::string wide = "select N";
  for (int i = 0; i < most; ++i) wide += ", N";
  EXPECT_EQ(testing::KindOf([&] { session.Query(wide + " from One"); }), ErrorKind::kTooComplex);

  std::string header = "F0";
  std::string line = "0";
  for (int i = 1; i <= most; ++i) {
    header += ",F" + std::to_string(i);
    line += ",x";
  }
  dir.Write("WIDE.txt", header + "\r\n" + line + "\r\n");
  session.Close();
  session.Open(testing::TextConnection(dir.Folder()));
  const std::optional<Error> error =
      RaisedBy(session, "select * into WIDE in \"" + dir.File("work.mdb") + "\" from WIDE.txt");
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), ErrorKind::kTooComplex);
  ASSERT_TRUE(error->where());
  EXPECT_EQ(error->where()->step, TextStep::kImportHeader);
}

// What the result code says is what the failure is, whatever SQLite's text.
TEST(EngineErrorsTest, ResultCodesDecideTheKind) {
  struct Case {
    int code;
    std::string sqlite;
    ErrorKind kind;
  };
  const std::vector<Case> cases = {
      {SQLITE_ERROR, "no such table: PZ", ErrorKind::kOther},
      {SQLITE_ERROR, "database is locked", ErrorKind::kOther},
      {SQLITE_ERROR, "CHECK constraint failed: price > 0", ErrorKind::kOther},
      {SQLITE_ERROR, "parser stack overflow", ErrorKind::kOther},
      {SQLITE_CONSTRAINT_CHECK, "CHECK constraint failed: jet_field_size", ErrorKind::kOther},
      {SQLITE_FULL, "database or disk is full", ErrorKind::kIo},
      {SQLITE_IOERR_WRITE, "disk I/O error", ErrorKind::kIo},
      {SQLITE_IOERR_FSYNC, "disk I/O error", ErrorKind::kIo},
      {SQLITE_CANTOPEN, "unable to open database file", ErrorKind::kIo},
      {SQLITE_READONLY_DBMOVED, "attempt to write a readonly database", ErrorKind::kIo},
      {SQLITE_CORRUPT, "database disk image is malformed", ErrorKind::kIo},
      {SQLITE_IOERR, "no such table: looks like a statement", ErrorKind::kIo},
      {SQLITE_NOMEM, "out of memory", ErrorKind::kResources},
      {SQLITE_IOERR_NOMEM, "out of memory", ErrorKind::kIo},
      {SQLITE_BUSY, "database is locked", ErrorKind::kLocked},
      {SQLITE_BUSY_SNAPSHOT, "database is locked", ErrorKind::kLocked},
      {SQLITE_LOCKED, "database table is locked", ErrorKind::kLocked},
      {SQLITE_LOCKED_SHAREDCACHE, "database table is locked", ErrorKind::kLocked},
      {SQLITE_TOOBIG, "string or blob too big", ErrorKind::kTooComplex},
      {SQLITE_MISMATCH, "datatype mismatch", ErrorKind::kDataTypeMismatch},
      {SQLITE_CONSTRAINT_NOTNULL, "NOT NULL constraint failed: T.A", ErrorKind::kOther},
      {SQLITE_NOTADB, "file is not a database", ErrorKind::kOther},
  };
  for (const Case& c : cases) {
    const Error error = TranslateFailure(c.code, c.sqlite, "Cannot run the statement", "/w/K.mdb");
    EXPECT_EQ(error.kind(), c.kind) << c.code << " " << c.sqlite;
    EXPECT_EQ(error.kind(), KindOfResult(c.code)) << c.code;
    EXPECT_EQ(IsSystemFailure(error.kind()), c.kind == ErrorKind::kIo ||
                                                 c.kind == ErrorKind::kResources ||
                                                 c.kind == ErrorKind::kLocked)
        << c.code;
  }
  // SQLite's text stands after what failed; a lock names the file held.
  EXPECT_EQ(TranslateFailure(SQLITE_FULL, "database or disk is full", "Cannot run the statement",
                             "/w/K.mdb")
                .detail(),
            "Cannot run the statement: database or disk is full");
  EXPECT_EQ(
      TranslateFailure(SQLITE_ERROR, "database is locked", "Cannot run the statement", "/w/K.mdb")
          .detail(),
      "Cannot run the statement: database is locked");
  EXPECT_EQ(
      TranslateFailure(SQLITE_BUSY, "database is locked", "Cannot run the statement", "/w/K.mdb")
          .detail(),
      "Could not use '/w/K.mdb'; file already in use.");
}

TEST(EngineErrorsTest, MessageFramesTheDetailWithTheTextFileAndLine) {
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

// The data access component against a real work database: connection
// states, row queries and their snapshots, edits, and error translation.
#include "src/workdb/data_access.h"

#include <gtest/gtest.h>

#include <new>

#include "platform/errors.h"
#include "src/workdb/engine_translation.h"
#include "tests/build_test_util.h"

namespace dt {
namespace {

using testing::BaseDir;
using testing::Db;
using testing::Gbk;
using testing::TempDir;
using testing::U8;

class DataAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Db db(dir_.path() / "work.mdb");
    db.Exec("create table Codes (AidCode varchar(50), Name varchar(50), Amount varchar(50))");
    db.Exec("insert into Codes values ('1.01', 'alpha', '12')");
    db.Exec(U8(u8R"(insert into Codes values ('2.02', '中文𠀀', NULL))"));
    db.Exec("insert into Codes values (NULL, NULL, '-7')");
    connection_.SetConnectionString(testing::DatabaseConnection(dir_.path() / "work.mdb"));
    connection_.Open();
  }

  // Every value of `column` of Codes, read afresh.
  std::vector<std::string> Read(const std::string& column) {
    RowQuery query;
    query.SetConnection(connection_);
    query.SetSQL("select " + column + " from Codes");
    query.Open();
    std::vector<std::string> out;
    for (; !query.Eof(); query.Next()) out.push_back(query.FieldByName(column).AsString());
    return out;
  }

  TempDir dir_;
  Connection connection_;
};

TEST_F(DataAccessTest, FieldByNameIgnoresLetterCase) {
  RowQuery query;
  query.SetConnection(connection_);
  query.SetSQL("select * from Codes");
  query.Open();
  for (const char* name : {"AidCode", "aidCode", "AIDCODE", "aidcode"}) {
    EXPECT_EQ(query.FieldByName(name).AsString(), "1.01") << name;
  }
}

TEST_F(DataAccessTest, FieldByNameKeepsTheCaseOfTrailBytes) {
  // 丄 and 乤 are 81 41 and 81 61 in code page 936: their trail bytes are
  // "A" and "a", yet they are two different names.
  Db(dir_.path() / "work.mdb")
      .Exec(U8(u8"create table Names (丄 varchar(9), 乤 varchar(9), x丄 varchar(9))"));
  Db(dir_.path() / "work.mdb").Exec("insert into Names values ('upper', 'lower', 'mixed')");
  RowQuery query;
  query.SetConnection(connection_);
  query.SetSQL("select * from Names");
  query.Open();
  struct Case {
    std::u8string name;
    std::string value;
  };
  const std::vector<Case> cases = {{u8"丄", "upper"}, {u8"乤", "lower"}, {u8"X丄", "mixed"}};
  for (const auto& c : cases) {
    EXPECT_EQ(query.FieldByName(Gbk(c.name)).AsString(), c.value) << c.value;
  }
  EXPECT_THROW(query.FieldByName(Gbk(u8"x乤")), EDatabaseError);
}

TEST_F(DataAccessTest, MissingFieldNamesIt) {
  RowQuery query;
  query.SetConnection(connection_);
  query.SetSQL("select AidCode from Codes");
  query.Open();
  try {
    query.FieldByName("NewCode");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'NewCode' not found");
  }
}

TEST_F(DataAccessTest, StatementWithoutRowsCannotBeOpened) {
  RowQuery query;
  query.SetConnection(connection_);
  query.SetSQL("create table Other (A varchar(10))");
  try {
    query.Open();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "CommandText does not return a result set");
  }
  EXPECT_THROW(query.RecordCount(), EDatabaseError);  // it stays closed
}

TEST_F(DataAccessTest, ValuesComeBackAsAnsiAndNullsAsEmptyOrZero) {
  RowQuery query;
  query.SetConnection(connection_);
  query.SetSQL("select * from Codes");
  query.Open();
  ASSERT_EQ(query.RecordCount(), 3);
  EXPECT_EQ(query.FieldByName("Amount").AsInteger(), 12);
  query.Next();
  // A character the code page lacks becomes '?' on the way to ANSI.
  EXPECT_EQ(query.FieldByName("Name").AsString(), Gbk(u8"中文") + "?");
  EXPECT_EQ(query.FieldByName("Amount").AsString(), "");
  EXPECT_EQ(query.FieldByName("Amount").AsInteger(), 0);
  query.Next();
  EXPECT_EQ(query.FieldByName("AidCode").AsString(), "");
  EXPECT_EQ(query.FieldByName("Amount").AsInteger(), -7);
  query.First();
  EXPECT_THROW(query.FieldByName("Name").AsInteger(), EDatabaseError);
}

TEST_F(DataAccessTest, EndOfRowsAfterTheLastRowAndOnNoRows) {
  RowQuery query;
  query.SetConnection(connection_);
  query.SetSQL("select * from Codes where AidCode = 'none'");
  query.Open();
  EXPECT_TRUE(query.Eof());
  EXPECT_EQ(query.RecordCount(), 0);
  EXPECT_EQ(query.FieldByName("Name").AsString(), "");
  EXPECT_THROW(query.Edit(), EDatabaseError);

  query.SetSQL("select * from Codes");
  EXPECT_THROW(query.Eof(), EDatabaseError);  // setting the text closed it
  query.Open();
  int rows = 0;
  for (; !query.Eof(); query.Next()) ++rows;
  EXPECT_EQ(rows, 3);
  query.First();
  EXPECT_FALSE(query.Eof());
  EXPECT_EQ(query.FieldByName("AidCode").AsString(), "1.01");
}

TEST_F(DataAccessTest, SnapshotIsUnaffectedByLaterStatements) {
  RowQuery reading;
  reading.SetConnection(connection_);
  reading.SetSQL("select * from Codes");
  reading.Open();

  StatementCommand update;
  update.SetConnection(connection_);
  update.SetCommandText("update Codes set AidCode = 'changed'");
  update.Execute();
  update.SetCommandText("insert into Codes values ('9', 'new', '1')");
  update.Execute();

  EXPECT_EQ(reading.RecordCount(), 3);
  EXPECT_EQ(reading.FieldByName("AidCode").AsString(), "1.01");
  reading.Open();  // already open: nothing is read again
  EXPECT_EQ(reading.RecordCount(), 3);
  reading.Close();
  reading.Open();
  EXPECT_EQ(reading.RecordCount(), 4);
  EXPECT_EQ(reading.FieldByName("AidCode").AsString(), "changed");
}

TEST_F(DataAccessTest, PostWritesTheChangedFieldAtOnceAndNothingElse) {
  RowQuery query;
  query.SetConnection(connection_);
  query.SetSQL("select * from Codes");
  query.Open();
  query.Next();
  EXPECT_THROW(query.SetFieldText("AidCode", "x"), EDatabaseError);  // not editing
  query.Edit();
  query.SetFieldText("aidcode", Gbk(u8"新.1"));
  EXPECT_EQ(query.FieldByName("AidCode").AsString(), Gbk(u8"新.1"));
  query.Post();

  // Written before the query moves or closes; the other fields keep even the
  // characters ANSI text cannot hold.
  Db db(dir_.path() / "work.mdb");
  EXPECT_EQ(db.Column("select AidCode from Codes"),
            (std::vector<std::string>{"1.01", U8(u8"新.1"), "<null>"}));
  EXPECT_EQ(db.Column("select Name from Codes"),
            (std::vector<std::string>{"alpha", U8(u8"中文𠀀"), "<null>"}));
  EXPECT_EQ(query.FieldByName("AidCode").AsString(), Gbk(u8"新.1"));
}

TEST_F(DataAccessTest, MovingOnPostsAPendingEdit) {
  RowQuery query;
  query.SetConnection(connection_);
  query.SetSQL("select * from Codes");
  query.Open();
  query.Edit();
  query.SetFieldText("Amount", "99");
  query.Next();
  EXPECT_EQ(Read("Amount"), (std::vector<std::string>{"99", "", "-7"}));
}

TEST_F(DataAccessTest, PostOfAJoinCannotLocateItsRow) {
  RowQuery query;
  query.SetConnection(connection_);
  query.SetSQL("select a.AidCode from Codes as a left join Codes as b on a.AidCode = b.AidCode");
  query.Open();
  query.Edit();
  query.SetFieldText("AidCode", "x");
  EXPECT_THROW(query.Post(), EDatabaseError);
  EXPECT_EQ(Read("AidCode"), (std::vector<std::string>{"1.01", "2.02", ""}));
}

TEST_F(DataAccessTest, SnapshotIsNeverWrittenIntoAnotherDataSource) {
  RowQuery query;
  query.SetConnection(connection_);
  query.SetSQL("select * from Codes");
  query.Open();
  connection_.Close();
  connection_.Open();
  query.Edit();
  query.SetFieldText("AidCode", "x");
  EXPECT_THROW(query.Post(), EDatabaseError);
  EXPECT_EQ(Read("AidCode"), (std::vector<std::string>{"1.01", "2.02", ""}));
}

TEST_F(DataAccessTest, EngineFailuresBecomeOleExceptions) {
  RowQuery query;
  query.SetConnection(connection_);
  query.SetSQL("select * from NoSuchTable");
  try {
    query.Open();
    FAIL() << "no error";
  } catch (const EOleException& e) {
    EXPECT_FALSE(e.Message().empty());
    const unsigned char last = e.Message().back();
    EXPECT_NE(last, '.');
    EXPECT_GT(last, 32);
  }
  StatementCommand command;
  command.SetConnection(connection_);
  command.SetCommandText("drop table NoSuchTable");
  EXPECT_THROW(command.Execute(), EOleException);
}

TEST_F(DataAccessTest, StatementCommandRunsAndDiscardsRows) {
  StatementCommand command;
  command.SetConnection(connection_);
  command.SetCommandText("select * from Codes");
  EXPECT_NO_THROW(command.Execute());
  command.SetCommandText(Gbk(u8"insert into Codes values ('3', '名称', '5')"));
  command.Execute();
  EXPECT_EQ(Read("Name"),
            (std::vector<std::string>{"alpha", Gbk(u8"中文") + "?", "", Gbk(u8"名称")}));
}

TEST_F(DataAccessTest, RewriteColumnsPassesUtf8Untouched) {
  connection_.RewriteColumns("codes", {"AidCode", "Name"}, {"Name"}, {"Amount"},
                             [](std::string_view value) { return "[" + std::string(value) + "]"; });
  Db db(dir_.path() / "work.mdb");
  EXPECT_EQ(db.Column("select Name from Codes"),
            (std::vector<std::string>{"[alpha]", U8(u8"[中文𠀀]"), "[]"}));
  EXPECT_THROW(connection_.RewriteColumns("Codes", {"Missing"}, {"Name"}, {},
                                          [](std::string_view) { return std::string("x"); }),
               EOleException);
  EXPECT_EQ(db.Column("select Name from Codes"),
            (std::vector<std::string>{"[alpha]", U8(u8"[中文𠀀]"), "[]"}));
}

TEST(ConnectionTest, OpenAndCloseAreIdempotentAndStringIsFixedWhileOpen) {
  BaseDir base;
  Db(base.WorkDatabase());
  Connection connection;
  EXPECT_FALSE(connection.Connected());
  connection.Close();
  connection.SetConnectionString(base.WorkConnection());
  connection.Open();
  connection.Open();
  EXPECT_TRUE(connection.Connected());
  EXPECT_THROW(connection.SetConnectionString("other"), EOleException);
  EXPECT_EQ(connection.ConnectionString(), base.WorkConnection());
  connection.Close();
  connection.Close();
  EXPECT_FALSE(connection.Connected());
}

TEST(ConnectionTest, MissingDatabaseFailsToOpenAndStaysClosed) {
  TempDir dir;
  Connection connection;
  connection.SetConnectionString(testing::DatabaseConnection(dir.path() / "missing.mdb"));
  EXPECT_THROW(connection.Open(), EOleException);
  EXPECT_FALSE(connection.Connected());
}

TEST(ConnectionTest, ReleasedConnectionUnbindsItsQueries) {
  BaseDir base;
  Db(base.WorkDatabase()).Exec("create table T (A varchar(5))");
  RowQuery query;
  StatementCommand command;
  {
    Connection connection;
    connection.SetConnectionString(base.WorkConnection());
    query.SetConnection(connection);
    command.SetConnection(connection);
    command.SetCommandText("insert into T values ('1')");
  }
  query.SetSQL("select * from T");
  EXPECT_THROW(query.Open(), EDatabaseError);
  EXPECT_THROW(command.Execute(), EDatabaseError);
  RowQuery never_bound;
  never_bound.SetSQL("select * from T");
  EXPECT_THROW(never_bound.Open(), EDatabaseError);
}

// The engine's errors leave as the system's kinds with the message a user
// reads: for an error from a text file, framed by its file and line.
TEST(CallEngineTest, EngineErrorsLeaveAsTheSystemsKinds) {
  const auto message_of = [](auto&& failure) -> std::string {
    try {
      detail::CallEngine(failure);
    } catch (const EOleException& e) {
      return "EOleException: " + e.Message();
    } catch (const EDatabaseError& e) {
      return "EDatabaseError: " + e.Message();
    } catch (const EFOpenError& e) {
      return "EFOpenError: " + e.Message();
    }
    return "nothing";
  };
  EXPECT_EQ(message_of([] {
              throw engine::Error(
                  engine::ErrorKind::kIo, "Cannot run the statement: disk I/O error.",
                  engine::TextPosition{U8(u8"/in/凭证.txt"), 7, 96, engine::TextStep::kImportLine});
            }),
            "EOleException: " + Gbk(u8"Cannot import line 7 of '/in/凭证.txt': ") +
                "Cannot run the statement: disk I/O error");
  EXPECT_EQ(message_of([] {
              throw engine::Error(engine::ErrorKind::kMissingTable, "Table 'PZ' does not exist");
            }),
            "EOleException: Table 'PZ' does not exist");
  EXPECT_EQ(message_of([] { throw engine::NoResultSetError("no rows"); }),
            "EDatabaseError: CommandText does not return a result set");
  EXPECT_EQ(message_of([] { throw EFOpenError("Cannot open file \"x\". Denied"); }),
            "EFOpenError: Cannot open file \"x\". Denied");
  // Memory that ran out is the system's failure, whichever engine met it.
  EXPECT_EQ(message_of([] { throw std::bad_alloc(); }), "EOleException: Out of memory");
  EXPECT_THROW(detail::CallEngine([] { throw std::bad_alloc(); }), EOleIoError);
  EXPECT_EQ(detail::CallEngine([] { return 5; }), 5);
}

// Only a failure of the disk or the system (memory, threads, a database
// locked elsewhere) leaves as EOleIoError; every other engine error is the
// EOleException it always was, with the same message.
TEST(CallEngineTest, OnlyFailuresOfTheSystemLeaveAsIoErrors) {
  using engine::ErrorKind;
  struct Case {
    engine::Error error;
    bool io;
  };
  const engine::TextPosition line{"/in/B.txt", 7, 96, engine::TextStep::kImportLine};
  const std::vector<Case> cases = {
      {engine::Error(ErrorKind::kIo, "Cannot run the statement: database or disk is full"), true},
      {engine::Error(ErrorKind::kIo, "Cannot run the statement: disk I/O error", line), true},
      {engine::Error(ErrorKind::kIo, "Input/output error",
                     engine::TextPosition{"/in/B.txt", 0, 0, engine::TextStep::kOpen}),
       true},
      {engine::Error(ErrorKind::kResources, "Cannot run the statement: out of memory"), true},
      {engine::Error(ErrorKind::kResources, "Cannot start a thread to read the file", line), true},
      {engine::Error(ErrorKind::kLocked, "Could not use '/b/KORVA.mdb'; file already in use."),
       true},
      {engine::Error(ErrorKind::kSyntax, "Syntax error in FROM clause"), false},
      {engine::Error(ErrorKind::kTooComplex, "Statement too complex"), false},
      {engine::Error(ErrorKind::kUnsupported, "Undefined function 'x' in expression"), false},
      {engine::Error(ErrorKind::kMissingTable, "Table 'PZ' does not exist"), false},
      {engine::Error(ErrorKind::kMissingField, "Field 'X' does not exist"), false},
      {engine::Error(ErrorKind::kAlreadyExists, "Table 'PZ' already exists"), false},
      {engine::Error(ErrorKind::kDataTypeMismatch, "Data type mismatch in expression"), false},
      {engine::Error(ErrorKind::kNotFound, "Could not find file 'B.txt'"), false},
      {engine::Error(ErrorKind::kInvalidArgument, "The session is not open"), false},
      {engine::Error(ErrorKind::kTextFormat, "has no header line", line), false},
      {engine::Error(ErrorKind::kOther, "Cannot run the statement: database is locked."), false},
  };
  for (const Case& c : cases) {
    const std::string expected = detail::OleMessage(engine::Message(c.error));
    try {
      detail::CallEngine([&] { throw c.error; });
      ADD_FAILURE() << "nothing raised for " << expected;
    } catch (const EOleIoError& e) {
      EXPECT_TRUE(c.io) << expected;
      EXPECT_EQ(e.Message(), expected);
    } catch (const EOleException& e) {
      EXPECT_FALSE(c.io) << expected;
      EXPECT_EQ(e.Message(), expected);
    }
  }
}

TEST(OleMessageTest, TrimsTrailingPeriodsSpacesAndControlCharacters) {
  struct Case {
    std::string engine;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"Table 'PZ' does not exist.", "Table 'PZ' does not exist"},
      {"Syntax error near '.'  .\r\n\t", "Syntax error near '.'"},
      {"no trailing", "no trailing"},
      {"...", "Unspecified error"},
      {"", "Unspecified error"},
      {U8(u8"表 '凭证' 不存在。"), Gbk(u8"表 '凭证' 不存在。")},  // a full-width stop stays
      {U8(u8"字段 v1.0. "), Gbk(u8"字段 v1.0")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(detail::OleMessage(c.engine), c.expected) << c.engine;
  }
}

}  // namespace
}  // namespace dt

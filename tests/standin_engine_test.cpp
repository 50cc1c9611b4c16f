// Sessions of the stand-in engine: opening data sources, the engine's
// error messages, snapshots, row updates, column rewrites and the state a
// failed statement leaves.
#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "tests/faulty_disk.h"
#include "tests/sqlite_integrity.h"
#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

using testing::ColumnIndex;
using testing::DatabaseConnection;
using testing::ErrorOf;
using testing::KindOf;
using testing::OpenEmptyDatabase;
using testing::ScratchDir;
using testing::SortedRows;
using testing::TextConnection;

using dt::testing::IntegrityOf;

TEST(StandInEngineOpenTest, ProvidersAndDataSources) {
  ScratchDir dir;
  dir.Write("empty.mdb", "");
  dir.Write("access.mdb", std::string("\0\1\0\0Standard Jet DB\0", 19) + std::string(4096, 'x'));
  struct Case {
    std::string connection;
    std::string error;  // "" when the open succeeds
    ErrorKind kind = ErrorKind::kOther;
  };
  const std::vector<Case> cases = {
      {DatabaseConnection(dir.File("empty.mdb")), ""},
      {"provider=microsoft.jet.oledb.4.0;data source=" + dir.File("empty.mdb"), ""},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir.Folder() + "/empty.mdb", ""},
      {TextConnection(dir.Folder()), ""},
      {"Provider=SQLOLEDB;Data Source=" + dir.File("empty.mdb"), "Provider 'SQLOLEDB' not found",
       ErrorKind::kNotFound},
      {"Data Source=" + dir.File("empty.mdb"), "Provider cannot be found", ErrorKind::kNotFound},
      {DatabaseConnection(dir.File("missing.mdb")),
       "Could not find file '" + dir.File("missing.mdb") + "'", ErrorKind::kNotFound},
      {DatabaseConnection(dir.Folder()), "is not a database file", ErrorKind::kNotFound},
      {DatabaseConnection(dir.File("access.mdb")), "Unrecognized database format",
       ErrorKind::kOther},
      {TextConnection(dir.File("nowhere")), "not a valid path", ErrorKind::kNotFound},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False", "no Data Source",
       ErrorKind::kInvalidArgument},
  };
  for (const Case& c : cases) {
    StandInEngine session;
    const std::string error = ErrorOf([&] { session.Open(c.connection); });
    if (c.error.empty()) {
      EXPECT_EQ(error, "") << c.connection;
      EXPECT_TRUE(session.IsOpen()) << c.connection;
    } else {
      EXPECT_NE(error.find(c.error), std::string::npos) << c.connection << " -> " << error;
      EXPECT_EQ(KindOf([&] { StandInEngine().Open(c.connection); }), c.kind) << c.connection;
      EXPECT_FALSE(session.IsOpen()) << c.connection;
    }
  }
}

// A database whose rollback journal cannot be opened fails as the disk
// does, naming the database: it is no file of another format.
TEST(StandInEngineOpenTest, AJournalThatCannotBeOpenedIsAnIoFailure) {
  ScratchDir dir;
  {
    StandInEngine session;
    OpenEmptyDatabase(dir, session);
    session.Execute("create table T (A varchar(1))");
  }
  dt::testing::FaultyDisk disk;
  disk.FailOpens("work.mdb-journal");
  StandInEngine session;
  const std::string error =
      ErrorOf([&] { session.Open(DatabaseConnection(dir.File("work.mdb"))); });
  EXPECT_EQ(error.rfind("Cannot read database '" + dir.File("work.mdb") + "': ", 0), 0u) << error;
  EXPECT_EQ(KindOf([&] { StandInEngine().Open(DatabaseConnection(dir.File("work.mdb"))); }),
            ErrorKind::kIo);
  EXPECT_FALSE(session.IsOpen());
}

// A database path too long for SQLite to open a file by (with room for its
// journal's name) fails saying so, with its length and the limit, where
// SQLite says only "unable to open database file"; a path at the limit is
// looked for as any other.
TEST(StandInEngineOpenTest, APathTooLongToOpenSaysItsLengthAndTheLimit) {
  ScratchDir dir;
  const std::size_t limit =
      static_cast<std::size_t>(sqlite3_vfs_find(nullptr)->mxPathname) - std::strlen("-journal");
  // Absolute, in parts of at most 100 bytes, ending in ".mdb".
  const auto path_of_length = [&](std::size_t length) {
    std::string path = dir.Folder();
    path.pop_back();  // the delimiter
    while (path.size() + 1 + 100 + 4 < length) path += platform::PathDelim + std::string(99, 'd');
    return path + platform::PathDelim + std::string(length - path.size() - 5, 'w') + ".mdb";
  };
  const std::string at_limit = path_of_length(limit);
  ASSERT_EQ(at_limit.size(), limit);
  EXPECT_EQ(ErrorOf([&] { StandInEngine().Open(DatabaseConnection(at_limit)); }),
            "Could not find file '" + at_limit + "'");
  for (const std::size_t length : {limit + 1, limit + 200}) {
    const std::string path = path_of_length(length);
    ASSERT_EQ(path.size(), length);
    EXPECT_EQ(ErrorOf([&] { StandInEngine().Open(DatabaseConnection(path)); }),
              "Cannot open database '" + path + "': its path is " + std::to_string(length) +
                  " bytes long, and the engine opens a database by a path of at most " +
                  std::to_string(limit) + " bytes");
    EXPECT_EQ(KindOf([&] { StandInEngine().Open(DatabaseConnection(path)); }), ErrorKind::kIo);
  }
}

TEST(StandInEngineOpenTest, ZeroByteDatabaseTakesTablesAndClosedSessionRefuses) {
  ScratchDir dir;
  StandInEngine session;
  OpenEmptyDatabase(dir, session);
  session.Execute("create table T (A varchar(10))");
  session.Close();
  EXPECT_FALSE(session.IsOpen());
  EXPECT_NE(ErrorOf([&] { session.Execute("select * from T"); }).find("not open"),
            std::string::npos);
  session.Open(DatabaseConnection(dir.File("work.mdb")));
  EXPECT_EQ(session.Query("select * from t").columns, std::vector<std::string>{"A"});
  EXPECT_EQ(IntegrityOf(dir.File("work.mdb")), "ok");
}

// A text folder runs its import alone, a database everything else, and a
// closed session nothing; the refusals change nothing and leave the
// session as it was.
TEST(StandInEngineOpenTest, WhatIsOpenDecidesWhichCallsRun) {
  ScratchDir dir;
  dir.Write("Item.txt", "IID\nI1\n");
  {
    StandInEngine work;
    OpenEmptyDatabase(dir, work);
    work.Execute("create table T (A varchar(10))");
    work.Execute("insert into T values ('a')");
  }
  StandInEngine work;
  work.Open(DatabaseConnection(dir.File("work.mdb")));
  const Snapshot rows = work.Query("select * from T");
  work.Close();
  const auto identity = [](std::string_view value) { return std::string(value); };
  struct Call {
    const char* what;
    std::function<void(StandInEngine&)> call;
  };
  const std::vector<Call> calls = {
      {"a statement", [](StandInEngine& s) { s.Execute("insert into T values ('b')"); }},
      {"a query", [](StandInEngine& s) { s.Query("select * from T"); }},
      {"a row update",
       [&](StandInEngine& s) {
         s.UpdateRow(rows, 0, {{0, Value("c")}});
       }},
      {"a rewrite", [&](StandInEngine& s) { s.RewriteColumns("T", {"A"}, {"A"}, {}, identity); }},
      {"a catalogue question", [](StandInEngine& s) { s.HasTable("T"); }},
  };
  StandInEngine closed;
  StandInEngine text;
  text.Open(TextConnection(dir.Folder()));
  for (const Call& c : calls) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(KindOf([&] { c.call(closed); }), ErrorKind::kInvalidArgument);
    EXPECT_NE(ErrorOf([&] { c.call(closed); }).find("not open"), std::string::npos);
    EXPECT_EQ(KindOf([&] { c.call(text); }), ErrorKind::kUnsupported);
    EXPECT_NE(ErrorOf([&] { c.call(text); }).find("runs only SELECT * INTO"), std::string::npos);
    EXPECT_TRUE(text.IsOpen());
  }
  EXPECT_EQ(KindOf([&] { closed.Flush(); }), ErrorKind::kInvalidArgument);
  EXPECT_EQ(KindOf([&] { text.Open(DatabaseConnection(dir.File("work.mdb"))); }),
            ErrorKind::kInvalidArgument);
  // The import runs, and the text session flushes what it wrote.
  EXPECT_EQ(text.Execute("select * into Item in \"" + dir.File("work.mdb") + "\" from Item.txt"),
            1);
  text.Flush();
  text.Close();
  work.Open(DatabaseConnection(dir.File("work.mdb")));
  EXPECT_EQ(SortedRows(work.Query("select * from T")), std::vector<std::string>{"a"});
  EXPECT_EQ(SortedRows(work.Query("select * from Item")), std::vector<std::string>{"I1"});
}

class StandInEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenEmptyDatabase(dir_, session_);
    session_.Execute("CREATE TABLE BOOK (BOOKNO varchar(20), SID varchar(20), BILLS varchar(5))");
    session_.Execute("insert into BOOK values ('P1', '1.01', '2')");
    session_.Execute("insert into BOOK values ('P1', '1.02', '3')");
    session_.Execute("insert into BOOK values ('P2', NULL, '1')");
  }
  ScratchDir dir_;
  StandInEngine session_;
};

TEST_F(StandInEngineTest, MessagesNameTablesAndFields) {
  struct Case {
    std::string sql;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"create table book (X text)", "Table 'book' already exists"},
      {"select * into Book from BOOK", "Table 'Book' already exists"},
      {"select * from PZ", "Table 'PZ' does not exist"},
      {"select a.SID from BOOK as a left join Remain as b on a.SID = b.SID",
       "Table 'Remain' does not exist"},
      {"insert into PZ (SID) values ('1')", "Table 'PZ' does not exist"},
      {"update PZ set SID = '1'", "Table 'PZ' does not exist"},
      {"alter table PZ add column flxh AUTOINCREMENT", "Table 'PZ' does not exist"},
      {"update BOOK set NOPE = '1'", "Field 'NOPE' does not exist in table 'BOOK'"},
      {"insert into BOOK (BOOKNO, NOPE) values ('1', '2')",
       "Field 'NOPE' does not exist in table 'BOOK'"},
      {"alter table BOOK add column sid varchar(5)", "Field 'sid' already exists in table 'BOOK'"},
      {"select NOPE from BOOK", "Field 'NOPE' does not exist"},
      {"select BOOKNO from BOOK where Frobnicate(SID) = 1", "Undefined function 'Frobnicate'"},
      {"select BOOKNO from BOOK where SID lik '1*'", "near 'lik'"},
      {"select BOOKNO, from BOOK", "near 'from'"},
      {"drop table PZ", "Table 'PZ' does not exist"},
  };
  for (const Case& c : cases) {
    const std::string error = ErrorOf([&] { session_.Execute(c.sql); });
    EXPECT_NE(error.find(c.error), std::string::npos) << c.sql << " -> " << error;
  }
  EXPECT_EQ(session_.Query("select count(*) as n from BOOK").rows[0][0], "3");
}

// What went wrong is a kind to test, not a text to parse.
TEST_F(StandInEngineTest, FailuresNameTheirKind) {
  session_.Execute("create table K (ID counter, A varchar(5))");
  struct Case {
    std::string sql;
    ErrorKind kind;
  };
  const std::vector<Case> cases = {
      {"create table book (X text)", ErrorKind::kAlreadyExists},
      {"select * into Book from BOOK", ErrorKind::kAlreadyExists},
      {"alter table BOOK add column sid varchar(5)", ErrorKind::kAlreadyExists},
      {"select * from PZ", ErrorKind::kMissingTable},
      {"drop table PZ", ErrorKind::kMissingTable},
      {"update BOOK set NOPE = '1'", ErrorKind::kMissingField},
      {"select NOPE from BOOK", ErrorKind::kMissingField},
      {"select cdate(BOOKNO) as D into DD from BOOK", ErrorKind::kDataTypeMismatch},
      {"update BOOK set BILLS = BOOKNO + 1", ErrorKind::kDataTypeMismatch},
      {"insert into BOOK values ('P3')", ErrorKind::kSyntax},
      {"alter table K add column N autoincrement", ErrorKind::kUnsupported},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KindOf([&] { session_.Execute(c.sql); }), c.kind) << c.sql;
  }
  EXPECT_EQ(KindOf([&] { session_.Query("update BOOK set SID = '1'"); }), ErrorKind::kNoResultSet);
  const Snapshot rows = session_.Query("select * from BOOK");
  EXPECT_EQ(KindOf([&] { session_.UpdateRow(rows, 3, {{1, "x"}}); }), ErrorKind::kInvalidArgument);
  session_.Close();
  EXPECT_EQ(KindOf([&] { session_.Execute("select * from BOOK"); }), ErrorKind::kInvalidArgument);
}

TEST_F(StandInEngineTest, QueryOnAStatementWithoutRowsRaisesNoResultSet) {
  EXPECT_THROW(session_.Query("update BOOK set BILLS = '9'"), NoResultSetError);
  EXPECT_THROW(session_.Query("select * into B2 from BOOK"), NoResultSetError);
  // Nothing ran: the update and the new table are not there.
  EXPECT_EQ(session_.Query("select BILLS from BOOK where BILLS = '9'").rows.size(), 0u);
  EXPECT_NE(ErrorOf([&] { session_.Query("select * from B2"); }).find("does not exist"),
            std::string::npos);
}

TEST_F(StandInEngineTest, SnapshotHoldsRowsAsTheyWereAndNamesItsTable) {
  const Snapshot snapshot = session_.Query("Select SID, BOOKNO From book ");
  ASSERT_EQ(snapshot.columns, (std::vector<std::string>{"SID", "BOOKNO"}));
  EXPECT_EQ(snapshot.table, "BOOK");
  ASSERT_EQ(snapshot.row_ids.size(), 3u);
  session_.Execute("update BOOK Set SID = '102' where BOOKNO = 'P1'");
  session_.Execute("insert into BOOK values ('P3', '9', '1')");
  EXPECT_EQ(SortedRows(snapshot), (std::vector<std::string>{"1.01|P1", "1.02|P1", "<null>|P2"}));
  EXPECT_EQ(SortedRows(session_.Query("select SID, BOOKNO from BOOK")),
            (std::vector<std::string>{"102|P1", "102|P1", "9|P3", "<null>|P2"}));
}

TEST_F(StandInEngineTest, JoinsAndAggregatesGiveSnapshotsThatCannotBeUpdated) {
  for (const char* sql : {"select a.SID from BOOK a inner join BOOK b on a.SID = b.SID",
                          "select count(*) from BOOK", "select distinct BOOKNO from BOOK"}) {
    const Snapshot snapshot = session_.Query(sql);
    EXPECT_TRUE(snapshot.table.empty()) << sql;
    EXPECT_TRUE(snapshot.row_ids.empty()) << sql;
    EXPECT_NE(ErrorOf([&] {
                session_.UpdateRow(snapshot, 0, {{0, "x"}});
              }).find("single table"),
              std::string::npos)
        << sql;
  }
}

TEST_F(StandInEngineTest, UpdateRowWritesOnlyItsRowAtOnce) {
  const Snapshot snapshot = session_.Query("SELECT * FROM book where BOOKNO = 'P1'");
  ASSERT_EQ(snapshot.rows.size(), 2u);
  const std::size_t sid = ColumnIndex(snapshot, "sid");
  session_.UpdateRow(snapshot, 1, {{sid, std::string("it's 5")}});
  session_.UpdateRow(snapshot, 0, {{sid, std::nullopt}, {ColumnIndex(snapshot, "BILLS"), "7"}});
  EXPECT_EQ(SortedRows(session_.Query("select BOOKNO, SID, BILLS from BOOK")),
            (std::vector<std::string>{"P1|<null>|7", "P1|it's 5|3", "P2|<null>|1"}));
  EXPECT_NE(ErrorOf([&] {
              session_.UpdateRow(snapshot, 2, {{sid, "x"}});
            }).find("out of range"),
            std::string::npos);
  EXPECT_NE(ErrorOf([&] {
              session_.UpdateRow(snapshot, 0, {{9, "x"}});
            }).find("out of range"),
            std::string::npos);
  session_.Execute("delete from BOOK where BOOKNO = 'P1'");
  EXPECT_NE(ErrorOf([&] {
              session_.UpdateRow(snapshot, 0, {{sid, "x"}});
            }).find("cannot be located"),
            std::string::npos);
}

// Rows posted one after another see the table as it is at each post, also
// when another connection or a statement of the session changed it between.
TEST_F(StandInEngineTest, EachPostSeesTheTableAsItIsThen) {
  const Snapshot snapshot = session_.Query("select * from BOOK");
  const std::size_t sid = ColumnIndex(snapshot, "SID");
  session_.UpdateRow(snapshot, 0, {{sid, "a"}});
  session_.UpdateRow(snapshot, 1, {{sid, "b"}});

  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(dir_.File("work.mdb").c_str(), &other), SQLITE_OK);
  const int dropped =
      sqlite3_exec(other, "ALTER TABLE BOOK DROP COLUMN SID", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  ASSERT_EQ(dropped, SQLITE_OK);
  EXPECT_EQ(ErrorOf([&] {
              session_.UpdateRow(snapshot, 2, {{sid, "c"}});
            }),
            "Field 'SID' does not exist in table 'BOOK'");

  session_.Execute("alter table BOOK add column SID varchar(2)");
  EXPECT_EQ(KindOf([&] {
              session_.UpdateRow(snapshot, 2, {{sid, "too long"}});
            }),
            ErrorKind::kFieldTooSmall);
  session_.UpdateRow(snapshot, 2, {{sid, "ok"}});
  EXPECT_EQ(SortedRows(session_.Query("select BOOKNO, SID from BOOK")),
            (std::vector<std::string>{"P1|<null>", "P1|<null>", "P2|ok"}));
}

TEST_F(StandInEngineTest, PostedRowsReachTheFileHoweverTheSessionEnds) {
  // Closed, destroyed without Close, and cut short by a row that is gone.
  for (int ending = 0; ending < 3; ++ending) {
    const std::string path = dir_.File("rows" + std::to_string(ending) + ".mdb");
    dir_.Write("rows" + std::to_string(ending) + ".mdb", "");
    {
      StandInEngine session;
      session.Open(DatabaseConnection(path));
      session.Execute("create table A (K text, V text)");
      for (const char* key : {"1", "2", "3"}) {
        session.Execute(std::string("insert into A (K) values ('") + key + "')");
      }
      const Snapshot rows = session.Query("select K, V from A order by K");
      if (ending == 2) session.Execute("delete from A where K = '3'");
      session.UpdateRow(rows, 0, {{1, "one"}});
      session.UpdateRow(rows, 1, {{1, "two"}});
      if (ending == 2) {
        EXPECT_NE(ErrorOf([&] { session.UpdateRow(rows, 2, {{1, "three"}}); }), "");
        // The rows posted before the failure are committed at once.
        StandInEngine reader;
        reader.Open(DatabaseConnection(path));
        EXPECT_EQ(reader.Query("select K from A where V is not null").rows.size(), 2u);
      }
      if (ending == 0) session.Close();
    }
    StandInEngine check;
    check.Open(DatabaseConnection(path));
    EXPECT_EQ(SortedRows(check.Query("select K, V from A where V is not null")),
              (std::vector<std::string>{"1|one", "2|two"}))
        << "ending " << ending;
    check.Close();
    EXPECT_EQ(IntegrityOf(path), "ok");
  }
}

TEST_F(StandInEngineTest, UpdateRowOnAnAliasedExpressionNamesTheField) {
  const Snapshot snapshot = session_.Query("select SID & '!' as Marked from BOOK");
  EXPECT_NE(ErrorOf([&] {
              session_.UpdateRow(snapshot, 0, {{0, "x"}});
            }).find("Field 'Marked' does not exist in table 'BOOK'"),
            std::string::npos);
}

TEST_F(StandInEngineTest, RewriteColumnsRewritesEveryRowAndNullsOnlyWhereTheKeysHoldValues) {
  struct Case {
    std::vector<std::string> keys;
    std::size_t rewritten;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      // Rows sharing BOOKNO 'P1' are each rewritten once; the NULL code of
      // a row whose key holds a value becomes empty text, the one whose
      // key is NULL stays NULL, and a code with a value is always cleaned.
      // A key the trimmed key never equals (a leading blank) holds none.
      {{"bookno"},
       6,
       {" P5|<null>", "<null>|501", "<null>|<null>", "P1|1001", "P1|1002", "P2|", "P4|it's01",
        "P6 |"}},
      // With no keys, no NULL is rewritten.
      {{},
       4,
       {" P5|<null>", "<null>|501", "<null>|<null>", "P1|1001", "P1|1002", "P2|<null>", "P4|it's01",
        "P6 |<null>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys.size());
    session_.Execute("delete from BOOK");
    for (const char* values : {"'P1', '1.01'", "'P1', '1.02'", "'P2', NULL", "'P4', 'it''s.1'",
                               "NULL, NULL", "NULL, '5.1'", "' P5', NULL", "'P6 ', NULL"}) {
      session_.Execute("insert into BOOK (BOOKNO, SID) values (" + std::string(values) + ")");
    }
    std::size_t seen = 0;
    session_.RewriteColumns("book", {"BOOKNO", "sid"}, {"Sid"}, c.keys,
                            [&](std::string_view value) {
                              ++seen;
                              std::string out(value);
                              std::replace(out.begin(), out.end(), '.', '0');
                              return out;
                            });
    EXPECT_EQ(seen, c.rewritten);
    EXPECT_EQ(SortedRows(session_.Query("select BOOKNO, SID from BOOK")), c.rows);
  }
}

TEST_F(StandInEngineTest, RewriteColumnsWithAMissingNameWritesNothing) {
  int calls = 0;
  auto rewrite = [&](std::string_view) {
    ++calls;
    return std::string("changed");
  };
  EXPECT_EQ(ErrorOf([&] { session_.RewriteColumns("PZ", {}, {"SID"}, {}, rewrite); }),
            "Table 'PZ' does not exist");
  EXPECT_EQ(ErrorOf([&] { session_.RewriteColumns("BOOK", {"LINE"}, {"SID"}, {}, rewrite); }),
            "Field 'LINE' not found");
  EXPECT_EQ(ErrorOf([&] {
              session_.RewriteColumns("BOOK", {"BOOKNO"}, {"SID", "IID"}, {}, rewrite);
            }),
            "Field 'IID' not found");
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(session_.Query("select * from BOOK where SID = 'changed'").rows.size(), 0u);
  // A table without rows reads no field: none is missing.
  session_.Execute("delete from BOOK");
  EXPECT_EQ(ErrorOf([&] { session_.RewriteColumns("BOOK", {"LINE"}, {"IID"}, {}, rewrite); }), "");
}

TEST_F(StandInEngineTest, FailingRewriteRollsBackAndLeavesASoundDatabase) {
  int calls = 0;
  const std::string error = ErrorOf([&] {
    session_.RewriteColumns("BOOK", {}, {"BILLS"}, {}, [&](std::string_view value) {
      if (++calls == 2) throw Error(ErrorKind::kOther, "cannot rewrite " + std::string(value));
      return std::string("x");
    });
  });
  EXPECT_EQ(error.rfind("cannot rewrite", 0), 0u) << error;
  EXPECT_EQ(session_.Query("select * from BOOK where BILLS = 'x'").rows.size(), 0u);
  // The session goes on working after the failure.
  session_.Execute("update BOOK set BILLS = '0'");
  session_.Close();
  EXPECT_EQ(IntegrityOf(dir_.File("work.mdb")), "ok");
}

TEST_F(StandInEngineTest, FailedStatementsLeaveTheDatabaseAsItWas) {
  session_.Execute("create table D (Y varchar(4), M varchar(2), D varchar(2))");
  session_.Execute("insert into D values ('2020', '1', '5')");
  session_.Execute("insert into D values ('2020', '13', '13')");  // no date in any order
  const std::string error =
      ErrorOf([&] { session_.Execute("select cdate(Y+'-'+M+'-'+D) as R into DD from D"); });
  EXPECT_NE(error.find("Data type mismatch"), std::string::npos) << error;
  EXPECT_NE(error.find("2020-13-13"), std::string::npos) << error;
  EXPECT_NE(ErrorOf([&] { session_.Query("select * from DD"); }).find("does not exist"),
            std::string::npos);
  EXPECT_NE(ErrorOf([&] { session_.Execute("update D set M = cdate(M)"); }), "");
  EXPECT_EQ(SortedRows(session_.Query("select M from D")), (std::vector<std::string>{"1", "13"}));
  session_.Close();
  EXPECT_EQ(IntegrityOf(dir_.File("work.mdb")), "ok");
}

TEST_F(StandInEngineTest, UnnamedExpressionsAreNamedAsJetNamesThem) {
  EXPECT_EQ(session_.Query("select count(*), BOOKNO, max(BILLS) from BOOK group by BOOKNO").columns,
            (std::vector<std::string>{"Expr1000", "BOOKNO", "Expr1001"}));
  session_.Execute("select b.SID, BILLS & '!', 'x' as Mark into B2 from BOOK as b");
  EXPECT_EQ(session_.Query("select * from B2").columns,
            (std::vector<std::string>{"SID", "Expr1000", "Mark"}));
}

TEST_F(StandInEngineTest, AutoIncrementKeepsRowsIndexesViewsAndRefusesAKeyedTable) {
  session_.Execute("create table K (ID long primary key, V text)");
  session_.Close();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dir_.File("work.mdb").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE INDEX BookByNo ON BOOK (BOOKNO); "
                         "CREATE VIEW BookNumbers AS SELECT BOOKNO FROM BOOK",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  session_.Open(DatabaseConnection(dir_.File("work.mdb")));
  session_.Execute("alter table book add column N counter");
  EXPECT_EQ(SortedRows(session_.Query("select N, BOOKNO, SID, BILLS from BOOK")),
            (std::vector<std::string>{"1|P1|1.01|2", "2|P1|1.02|3", "3|P2|<null>|1"}));
  EXPECT_EQ(SortedRows(session_.Query("select * from BookNumbers")),
            (std::vector<std::string>{"P1", "P1", "P2"}));
  EXPECT_NE(ErrorOf([&] {
              session_.Execute("alter table K add column N autoincrement");
            }).find("already has a primary key"),
            std::string::npos);
  EXPECT_EQ(session_.Query("select * from K").columns, (std::vector<std::string>{"ID", "V"}));
  session_.Close();
  EXPECT_EQ(IntegrityOf(dir_.File("work.mdb")), "ok");
  ASSERT_EQ(sqlite3_open(dir_.File("work.mdb").c_str(), &db), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT tbl_name FROM sqlite_schema WHERE name = 'BookByNo'", -1,
                               &stmt, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "BOOK");
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

// The new field numbers the rows 1..n in table order whether the rows were
// only ever added (the table's declaration changes) or some were deleted
// before (the table is copied); either way later rows go on counting and a
// number once given is never given again.
TEST_F(StandInEngineTest, AutoIncrementNumbersRowsInTableOrderWhateverWentBefore) {
  struct Case {
    std::string name;
    std::vector<std::string> before;
    std::vector<std::string> numbered;  // N|BOOKNO|BILLS by N
  };
  const std::vector<Case> cases = {
      {"only added", {}, {"1|P1|2", "2|P1|3", "3|P2|1"}},
      {"first deleted", {"delete from T where BILLS = '2'"}, {"1|P1|3", "2|P2|1"}},
      {"middle deleted", {"delete from T where BILLS = '3'"}, {"1|P1|2", "2|P2|1"}},
      {"deleted and added",
       {"delete from T where BILLS = '1'", "insert into T (BOOKNO, BILLS) values ('P3', '4')"},
       {"1|P1|2", "2|P1|3", "3|P3|4"}},
      {"empty", {"delete from T"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    session_.Execute("select BOOKNO, BILLS into T from BOOK");
    for (const std::string& sql : c.before) session_.Execute(sql);
    session_.Execute("alter table T add column N autoincrement");
    std::vector<std::string> numbered;
    for (const auto& row : session_.Query("select N, BOOKNO, BILLS from T order by N").rows) {
      numbered.push_back(*row[0] + "|" + *row[1] + "|" + *row[2]);
    }
    EXPECT_EQ(numbered, c.numbered);

    // The last number given, taken away, is not given again.
    const std::size_t last = c.numbered.size();
    if (last > 0) session_.Execute("delete from T where N = " + std::to_string(last));
    session_.Execute("insert into T (BOOKNO) values ('new')");
    EXPECT_EQ(SortedRows(session_.Query("select N from T where BOOKNO = 'new'")),
              std::vector<std::string>{std::to_string(last + 1)});
    session_.Execute("drop table T");
  }
  session_.Close();
  EXPECT_EQ(IntegrityOf(dir_.File("work.mdb")), "ok");
}

TEST_F(StandInEngineTest, FieldsNamedLikeTheRowIdentityDoNotHideIt) {
  // A text file may name its columns so; rows are still told apart and
  // numbered in table order.
  for (const char* fields : {"ROWID text, V text", "rowid text, _rowid_ text, V text"}) {
    SCOPED_TRACE(fields);
    session_.Execute(std::string("create table R (") + fields + ")");
    session_.Execute("insert into R (rowid, V) values ('b', 'first')");
    session_.Execute("insert into R (rowid, V) values ('a', 'second')");
    const Snapshot rows = session_.Query("select ROWID, V from R");
    ASSERT_EQ(rows.rows.size(), 2u);
    const std::size_t v = ColumnIndex(rows, "V");
    for (std::size_t row = 0; row < rows.rows.size(); ++row) {
      session_.UpdateRow(rows, row, {{v, *rows.rows[row][v] + "!"}});
    }
    session_.Execute("alter table R add column N counter");
    EXPECT_EQ(SortedRows(session_.Query("select N, ROWID, V from R")),
              (std::vector<std::string>{"1|b|first!", "2|a|second!"}));
    session_.Execute("drop table R");
  }
}

TEST_F(StandInEngineTest, SelectIntoAnotherDatabaseFile) {
  dir_.Write("other.mdb", "");
  const std::string into = "select BOOKNO, SID into B2 in \"" + dir_.File("other.mdb") + "\" ";
  EXPECT_EQ(session_.Execute(into + "from BOOK where BOOKNO = 'P1'"), 2);
  EXPECT_NE(
      ErrorOf([&] { session_.Execute(into + "from BOOK"); }).find("Table 'B2' already exists"),
      std::string::npos);
  EXPECT_NE(ErrorOf([&] {
              session_.Execute("select * into B3 in \"" + dir_.File("none.mdb") + "\" from BOOK");
            }).find("Could not find file"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("none.mdb")));
  // The attached file is let go: the table is not in this database.
  EXPECT_NE(ErrorOf([&] { session_.Query("select * from B2"); }).find("does not exist"),
            std::string::npos);
  StandInEngine other;
  other.Open(DatabaseConnection(dir_.File("other.mdb")));
  EXPECT_EQ(SortedRows(other.Query("select * from b2")),
            (std::vector<std::string>{"P1|1.01", "P1|1.02"}));
}

TEST_F(StandInEngineTest, ViewsAreReadButNotUpdated) {
  session_.Close();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dir_.File("work.mdb").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE VIEW P1 AS SELECT * FROM BOOK WHERE BOOKNO = 'P1'", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  session_.Open(DatabaseConnection(dir_.File("work.mdb")));
  const Snapshot snapshot = session_.Query("select SID from p1");
  EXPECT_EQ(SortedRows(snapshot), (std::vector<std::string>{"1.01", "1.02"}));
  EXPECT_TRUE(snapshot.table.empty());
  EXPECT_THROW(session_.UpdateRow(snapshot, 0, {{0, "x"}}), Error);
}

}  // namespace
}  // namespace dt::engine::standin

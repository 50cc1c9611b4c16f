// Joins on text keys: every key found however its letter case and trailing
// spaces differ, over enough rows that SQLite plans its joins as for a real
// export; the indexes that serve them gone when the statement ends, so that
// the file stays one any SQLite tool reads.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "engine/jetsql/parser.h"
#include "engine/standin/sql/jet_functions.h"
#include "engine/standin/store/join_indexes.h"
#include "engine/standin/store/lookup_table.h"
#include "engine/standin/store/text_comparison.h"
#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

using testing::ErrorOf;
using testing::OpenEmptyDatabase;
using testing::ScratchDir;

constexpr int kLines = 800;  // 8 lines for each key
constexpr int kKeys = 100;

// The one value of `sql` read by a plain SQLite connection, with none of the
// engine's functions: as a stock tool reads the file.
std::string StockRead(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string value = "cannot open";
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      value = sqlite3_errmsg(db);
    } else if (sqlite3_step(statement) == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
      value = text ? text : "<null>";
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return value;
}

// Runs `sql` on `file` through a plain SQLite connection; false when it fails.
bool StockExec(const std::string& file, const char* sql) {
  sqlite3* db = nullptr;
  const bool done = sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
                    sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return done;
}

// Voucher-like lines whose four codes name rows of four code tables, written
// with trailing spaces and in other letter case than the code tables hold.
class JoinIndexesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenEmptyDatabase(dir_, session_);
    for (const char* table : {"A", "B", "C", "D"}) {
      session_.Execute(std::string("create table ") + table + " (K varchar(20), V text, W text)");
    }
    session_.Execute("create table L (ID long, KA text, KB text, KC text, KD text)");
    for (int key = 0; key < kKeys; ++key) {
      for (const char* table : {"A", "B", "C", "D"}) {
        session_.Execute(std::string("insert into ") + table + " values ('Zx" +
                         std::to_string(key) + "', '" + table + std::to_string(key) + "', 'w')");
      }
    }
    for (int line = 0; line < kLines; ++line) {
      const std::string key = std::to_string(line % kKeys);
      const std::string spaces(static_cast<std::size_t>(line % 4), ' ');
      session_.Execute("insert into L values (" + std::to_string(line) + ", 'ZX" + key + spaces +
                       "', 'zx" + key + "', 'Zx" + key + spaces + spaces + "', 'zX" + key + " ')");
    }
  }

  // Lines of `table` (made from L) whose joined values are all there.
  std::string Matched(const std::string& table) {
    return StockRead(dir_.File("work.mdb"), "select count(*) from " + table +
                                                " where VA is not null and VB is not null and "
                                                "VC is not null and VD is not null");
  }

  std::string Indexes() {
    return StockRead(dir_.File("work.mdb"),
                     "select count(*) from sqlite_schema where type = 'index'");
  }

  // Joins P to S into JS, and into JG to G: S's rows and enough others,
  // none of them found, that G is read through an index where S is looked
  // up in memory.
  void JoinToSmallAndLarge(const std::string& fields) {
    ASSERT_TRUE(StockExec(dir_.File("work.mdb"),
                          "create table G (K text, V text); insert into G select * from S;"
                          "with recursive n(i) as (select 1 union all select i + 1 from n "
                          "where i < 130000) insert into G select 'filler' || i, i from n;"));
    for (const char* inner : {"S", "G"}) {
      session_.Execute("select " + fields + " into J" + inner + " from P left join " + inner +
                       " as i on P.K = i.K");
    }
  }

  ScratchDir dir_;
  StandInEngine session_;
};

const char* const kJoined =
    "select L.ID, a.V as VA, b.V as VB, c.V as VC, d.V as VD %s from ((((L left join A as a on "
    "L.KA = a.K) left join B as b on L.KB = b.K) left join C as c on L.KC = c.K) left join D as d "
    "on d.K = L.KD)";

std::string Joined(const std::string& into) {
  std::string sql = kJoined;
  sql.replace(sql.find("%s"), 2, into);
  return sql;
}

TEST_F(JoinIndexesTest, EveryLineFindsItsCodesAndNoIndexIsLeft) {
  EXPECT_EQ(session_.Execute(Joined("into J")), kLines);
  EXPECT_EQ(Matched("J"), std::to_string(kLines));
  EXPECT_EQ(Indexes(), "0");

  session_.Execute("create table J2 (ID long, VA text, VB text, VC text, VD text)");
  EXPECT_EQ(session_.Execute("insert into J2 " + Joined("")), kLines);
  EXPECT_EQ(Matched("J2"), std::to_string(kLines));

  std::size_t matched = 0;
  for (const auto& row : session_.Query(Joined("")).rows) {
    matched += row[1] && row[2] && row[3] && row[4];
  }
  EXPECT_EQ(matched, static_cast<std::size_t>(kLines));
  // Read with *, the index holds the key alone.
  EXPECT_EQ(
      session_.Query("select * from L left join A on L.KA = A.K where A.K is not null").rows.size(),
      static_cast<std::size_t>(kLines));
  EXPECT_EQ(Indexes(), "0");
  EXPECT_EQ(StockRead(dir_.File("work.mdb"), "pragma integrity_check"), "ok");
}

TEST_F(JoinIndexesTest, FailedJoinLeavesNeitherTableNorIndex) {
  // W holds no date.
  const std::string error = ErrorOf([&] {
    session_.Execute("select L.ID, cdate(A.W) as D into J from L left join A on L.KA = A.K");
  });
  EXPECT_NE(error.find("Data type mismatch"), std::string::npos) << error;
  EXPECT_EQ(Indexes(), "0");
  EXPECT_EQ(StockRead(dir_.File("work.mdb"), "select count(*) from J"), "no such table: J");
}

TEST_F(JoinIndexesTest, IndexesOfTheDatabaseStayAsTheyAre) {
  ASSERT_TRUE(
      StockExec(dir_.File("work.mdb"),
                "create index jet_join_key_1 on A (K); create index jet_join_key_2 on B (V)"));
  EXPECT_EQ(session_.Execute(Joined("into J")), kLines);
  EXPECT_EQ(Matched("J"), std::to_string(kLines));
  EXPECT_EQ(StockRead(dir_.File("work.mdb"),
                      "select group_concat(name) from (select name from sqlite_schema where type "
                      "= 'index' order by name)"),
            "jet_join_key_1,jet_join_key_2");
}

// A small inner table is looked up in memory, a large one through an index:
// the same rows in the same order either way, rows of one key included
// (in the index's order, not the table's), NULL keys finding nothing, and
// numbers found by their text.
TEST_F(JoinIndexesTest, ALookedUpTableGivesTheRowsAnIndexGives) {
  const char* setup =
      "create table S (K text, V text);"
      "insert into S values ('ab', 'z'), ('AB ', 'y'), (NULL, 'n'), ('Ab', 'y'), (5, 'five'),"
      "  ('x', 'b'), ('X', 'a'), ('5 ', 'text five'), ('', 'empty');"
      "create table P (ID integer, K);"
      "insert into P values (1, 'aB'), (2, NULL), (3, 'x  '), (4, 5), (5, '5'), (6, 'none'),"
      "  (7, ''), (8, 'AB'), (9, 'ab  ');";
  ASSERT_TRUE(StockExec(dir_.File("work.mdb"), setup));
  JoinToSmallAndLarge("P.ID, i.V, i.K");
  const std::string rows = "select group_concat(ID || ':' || coalesce(V, '-'), ' ') from ";
  const std::string looked_up = StockRead(dir_.File("work.mdb"), rows + "JS");
  EXPECT_EQ(looked_up,
            "1:y 1:y 1:z 2:- 3:a 3:b 4:five 4:text five 5:five 5:text five 6:- 7:empty 8:y 8:y "
            "8:z 9:y 9:y 9:z");
  EXPECT_EQ(looked_up, StockRead(dir_.File("work.mdb"), rows + "JG"));
  // A statement that fails over a lookup says what it says over an index,
  // in the statement's own names.
  std::vector<std::string> errors;
  for (const char* inner : {"S", "G"}) {
    errors.push_back(ErrorOf([&] {
      session_.Execute(std::string("select P.ID, cdate(i.V) as D into F from P left join ") +
                       inner + " as i on P.K = i.K");
    }));
  }
  EXPECT_NE(errors[0].find("Data type mismatch"), std::string::npos) << errors[0];
  EXPECT_EQ(errors[0], errors[1]);
  EXPECT_EQ(StockRead(dir_.File("work.mdb"), "select group_concat(name) from sqlite_schema"),
            StockRead(dir_.File("work.mdb"),
                      "select group_concat(name) from sqlite_schema where name not like "
                      "'jet\\_%' escape '\\'"));
}

// How the join of P to `inner` in the database `file` reads its inner
// table while the statement's indexes live: "lookup" (held in memory),
// "index", or "scan".
std::string WayOfReading(const std::string& file, const std::string& inner) {
  Database db = Database::OpenExisting(file);
  RegisterJetFunctions(db.get());
  RegisterLookupModule(db.get());
  ParsedStatement parsed =
      Parse("select P.ID, i.V from P left join " + inner + " as i on P.K = i.K");
  Select& select = std::get<Select>(parsed);
  const StatementScope scope = StatementScope::Of(db, select);
  MarkTextComparisons(parsed, scope);
  const JoinIndexes indexes(db, select, scope);
  auto count = [&](const std::string& sql) {
    Statement statement(db, sql);
    return statement.Step() ? statement.ColumnInt(0) : -1;
  };
  if (count("select count(*) from temp.sqlite_schema where name like 'jet_lookup%'") > 0) {
    return "lookup";
  }
  Statement on(db, "select count(*) from sqlite_schema where type = 'index' and tbl_name = ?1");
  on.BindText(1, inner);
  return on.Step() && on.ColumnInt(0) > 0 ? "index" : "scan";
}

// Only a table of few rows times fields read is held in memory; a larger
// one, which may grow with the export, is read through an index.
TEST_F(JoinIndexesTest, ATableOverTheLookupsLimitIsReadThroughAnIndex) {
  ASSERT_TRUE(StockExec(dir_.File("work.mdb"),
                        "create table S (K text, V text); insert into S values ('a', 'b');"
                        "create table P (ID integer, K text); insert into P values (1, 'a');"));
  JoinToSmallAndLarge("P.ID, i.V");
  session_.Close();
  EXPECT_EQ(WayOfReading(dir_.File("work.mdb"), "S"), "lookup");
  EXPECT_EQ(WayOfReading(dir_.File("work.mdb"), "G"), "index");
}

// Thousands of keys, some in other letter case or with trailing spaces,
// several rows to a key, probes that find nothing: the lookup's hash table
// finds what the index finds, in the same order.
TEST_F(JoinIndexesTest, ManyKeysAreFoundAsTheIndexFindsThem) {
  const char* setup =
      "create table S (K text, V text);"
      "with recursive n(i) as (select 1 union all select i + 1 from n where i < 6000) "
      "insert into S select case i % 3 when 0 then 'k' || (i % 2500) when 1 then 'K' || (i % "
      "2500) else 'k' || (i % 2500) || '  ' end, 'v' || (7000 - i) from n;"
      "create table P (ID integer, K);"
      "with recursive n(i) as (select 1 union all select i + 1 from n where i < 4000) "
      "insert into P select i, case i % 2 when 0 then 'K' || (i % 2800) else 'k' || (i % 2800) "
      "|| ' ' end from n;";
  ASSERT_TRUE(StockExec(dir_.File("work.mdb"), setup));
  JoinToSmallAndLarge("P.ID, i.V");
  const std::string rows =
      "select count(*) || ' ' || count(V) || ' ' || group_concat(ID || ':' || coalesce(V, '-')) "
      "from ";
  const std::string looked_up = StockRead(dir_.File("work.mdb"), rows + "JS");
  EXPECT_EQ(looked_up.substr(0, 10), "9700 9400 ");
  EXPECT_EQ(looked_up, StockRead(dir_.File("work.mdb"), rows + "JG"));
}

}  // namespace
}  // namespace dt::engine::standin

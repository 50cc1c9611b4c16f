// Joins on text keys: every key found however its letter case and trailing
// spaces differ, over enough rows that SQLite plans its joins as for a real
// export; the indexes that serve them gone when the statement ends, so that
// the file stays one any SQLite tool reads.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

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
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dir_.File("work.mdb").c_str(), &db), SQLITE_OK);
  const int created =
      sqlite3_exec(db, "create index jet_join_key_1 on A (K); create index jet_join_key_2 on B (V)",
                   nullptr, nullptr, nullptr);
  sqlite3_close(db);
  ASSERT_EQ(created, SQLITE_OK);
  EXPECT_EQ(session_.Execute(Joined("into J")), kLines);
  EXPECT_EQ(Matched("J"), std::to_string(kLines));
  EXPECT_EQ(StockRead(dir_.File("work.mdb"),
                      "select group_concat(name) from (select name from sqlite_schema where type "
                      "= 'index' order by name)"),
            "jet_join_key_1,jet_join_key_2");
}

}  // namespace
}  // namespace dt::engine::standin

// The join check on small work databases made directly: which rows count as
// broken references, compared as the engine's joins compare text.
#include "cli/join_report.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "tests/staging_temp_dir.h"

namespace dt::cli {
namespace {

class JoinReportTest : public ::testing::Test {
 protected:
  JoinReportTest() {
    sqlite3_open(path_.c_str(), &db_);
    Exec(
        "CREATE TABLE BOOK(BOOKNO TEXT);"
        "CREATE TABLE BOOKDETAIL(BOOKNO TEXT, LINE TEXT, SID TEXT, BID TEXT, IID TEXT,"
        " CANCELED TEXT);"
        "CREATE TABLE ACCOUNTSECTIONS(SID TEXT, NewCode TEXT);"
        "CREATE TABLE BUDGETSECTION(BID TEXT);"
        "CREATE TABLE ITEM(IID TEXT);"
        "CREATE TABLE REMAIN(ID TEXT, SID TEXT, BID TEXT, IID TEXT);"
        "INSERT INTO BOOK VALUES ('B1'), (NULL);"
        "INSERT INTO ACCOUNTSECTIONS(SID) VALUES ('101'), ('abc'), ('5.01  '), (NULL);"
        "INSERT INTO BUDGETSECTION VALUES ('2.01');"
        "INSERT INTO ITEM VALUES ('I.1');");
  }
  ~JoinReportTest() override { sqlite3_close(db_); }

  void Exec(const std::string& sql) {
    ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db_);
  }
  // "value@row" of each broken reference of relation `index`.
  std::vector<std::string> Broken(std::size_t index) {
    const JoinCheck check = CheckJoins(path_);
    std::vector<std::string> found;
    for (const BrokenReference& row : check.results.at(index).rows) {
      found.push_back(row.value + "@" + std::to_string(row.row));
    }
    return found;
  }

  testing::TempDir dir_;
  std::string path_ = dir_ / "KORVA.mdb";
  sqlite3* db_ = nullptr;
};

// Voucher lines, a code per case and relation; the same code is used in
// each key column of the line so every relation is tried with it.
TEST_F(JoinReportTest, VoucherLinesCompareKeysAsTheJoinsDo) {
  Exec(
      "INSERT INTO BOOKDETAIL VALUES"
      " ('B1', '1', '101', '2.01', 'I.1', '0'),"       // 1: everything found
      " ('b1  ', '2', 'ABC ', '2.01 ', 'i.1', '0 '),"  // 2: case and trailing spaces
      " ('B9', '3', '101.9.3', '9', 'I.9', '0'),"      // 3: nothing found
      " (' B1', '4', ' 101', ' 2.01', ' I.1', '0'),"   // 4: leading spaces count
      " ('', '5', NULL, '   ', '', '0'),"              // 5: empty codes are no references
      " ('B9', '6', '101.9.3', '9', 'I.9', '1'),"      // 6: cancelled: not in PZ
      " ('B9', '7', '101.9.3', '9', 'I.9', NULL),"     // 7: no CANCELED: not in PZ
      " ('B1', '8', '5.01', '2.01', 'I.1', '0');");    // 8: the account's own trailing spaces
  EXPECT_EQ(Broken(0), (std::vector<std::string>{"B9@3", " B1@4"})) << "BOOKNO";
  EXPECT_EQ(Broken(1), (std::vector<std::string>{"101.9.3@3", " 101@4"})) << "SID";
  EXPECT_EQ(Broken(2), (std::vector<std::string>{"9@3", " 2.01@4"})) << "BID";
  EXPECT_EQ(Broken(3), (std::vector<std::string>{"I.9@3", " I.1@4"})) << "IID";
}

TEST_F(JoinReportTest, EveryBalanceIsCheckedForItsAccountBudgetSectionAndItem) {
  Exec(
      "INSERT INTO REMAIN VALUES ('1', '101', '2.01', 'I.1'), ('2', '7', '8', '9'),"
      " ('3', NULL, '', 'I.1  ');");
  EXPECT_EQ(Broken(4), std::vector<std::string>{"7@2"}) << "SID";
  EXPECT_EQ(Broken(5), std::vector<std::string>{"8@2"}) << "BID";
  EXPECT_EQ(Broken(6), std::vector<std::string>{"9@2"}) << "IID";
}

// Accounts whose code the rebuild cuts beyond its five levels.
TEST_F(JoinReportTest, AccountsDeeperThanFiveLevelsAreNamed) {
  Exec("INSERT INTO ACCOUNTSECTIONS(SID) VALUES ('1.2.3.4.5'), ('1.2.3.4.5.6'), ('1..2.3.4.5');");
  EXPECT_EQ(Broken(7), std::vector<std::string>{"1.2.3.4.5.6@6"});
}

TEST_F(JoinReportTest, AllHoldingGivesNoRows) {
  Exec("INSERT INTO BOOKDETAIL VALUES ('B1', '1', '101', '2.01', 'I.1', '0');");
  const JoinCheck check = CheckJoins(path_);
  ASSERT_EQ(check.results.size(), Relations().size());
  for (const RelationResult& result : check.results) EXPECT_TRUE(result.rows.empty());
}

// Without a report only the examples are kept, whichever half of the voucher
// lines (each read on a thread of its own) they come from; the counts are
// those of the whole list.
TEST_F(JoinReportTest, ExamplesOnlyKeepsTheFirstRowOfEachOfTheFirstDistinctValues) {
  const char* accounts[] = {"X", "X", "X", "X", "Y", "Y", "Z", "W", "Z", "X"};
  for (const char* account : accounts) {
    Exec(std::string("INSERT INTO BOOKDETAIL VALUES ('B1', '1', '") + account +
         "', '2.01', 'I.1', '0');");
  }
  const JoinCheck all = CheckJoins(path_);
  const JoinCheck examples = CheckJoins(path_, /*examples_only=*/true);
  EXPECT_EQ(all.results[1].rows.size(), 10u);
  EXPECT_EQ(all.results[1].count(), 10);
  EXPECT_EQ(examples.results[1].count(), 10);
  std::vector<std::string> kept;
  for (const BrokenReference& row : examples.results[1].rows) {
    kept.push_back(row.value + "@" + std::to_string(row.row));
  }
  EXPECT_EQ(kept, (std::vector<std::string>{"X@1", "Y@5", "Z@7"}));
  EXPECT_EQ(examples.results[0].count(), 0) << "the vouchers all hold";
}

TEST_F(JoinReportTest, AMissingTableRaises) {
  Exec("DROP TABLE ITEM;");
  EXPECT_THROW(CheckJoins(path_), std::runtime_error);
}

}  // namespace
}  // namespace dt::cli

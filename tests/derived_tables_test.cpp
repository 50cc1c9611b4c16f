// The derived tables KMYE, PZ and aidInfo from a small work database with
// unmatched keys, cancelled lines, duplicate SIDs and empty or NULL codes.
#include "src/workdb/derived_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "src/workdb/data_access.h"
#include "tests/build_test_util.h"

namespace dt {
namespace {

using testing::BaseDir;
using testing::Db;
using testing::RecordingEvents;
using testing::U8;
using Rows = std::vector<std::vector<std::string>>;

constexpr char kCannotRun[] = "\xB2\xBB\xC4\xDC\xD6\xB4\xD0\xD0";

class DerivedTablesTest : public ::testing::Test {
 protected:
  void SetUp() override { connection_.SetConnectionString(base_.WorkConnection()); }

  void MakeAccounts() {
    db_.Exec(
        "create table ACCOUNTSECTIONS (SID varchar(50), NewCode varchar(255), DEBCRE varchar(9))");
    db_.Exec("insert into ACCOUNTSECTIONS values ('101', '101', '1')");
    db_.Exec("insert into ACCOUNTSECTIONS values ('102.1', '10201', '2')");
    db_.Exec("insert into ACCOUNTSECTIONS values ('102.1', '10201', '3')");  // same SID
  }
  void MakeCodes() {
    db_.Exec("create table BUDGETSECTION (BID varchar(50), NAME varchar(50))");
    db_.Exec(U8(u8"insert into BUDGETSECTION values ('2.01', '教育')"));
    db_.Exec("insert into BUDGETSECTION values ('', 'empty')");
    db_.Exec("insert into BUDGETSECTION values (NULL, 'null')");
    db_.Exec("insert into BUDGETSECTION values ('0', 'zero')");
    db_.Exec("create table ITEM (IID varchar(50), NAME varchar(50))");
    db_.Exec(U8(u8"insert into ITEM values ('3.1', '校舍')"));
    db_.Exec("insert into ITEM values (NULL, 'null')");
    db_.Exec("insert into ITEM values ('', 'empty')");
  }
  void MakeRemain() {
    db_.Exec(
        "create table REMAIN (ID varchar(9), SID varchar(50), IID varchar(50), BID varchar(50), "
        "BAL00 varchar(20))");
    db_.Exec("insert into REMAIN values ('R1', '101', '3.1', '2.01', '100')");
    db_.Exec("insert into REMAIN values ('R2', '102.1', NULL, NULL, '5')");
    db_.Exec("insert into REMAIN values ('R3', 'none', 'x', 'y', '1')");
  }
  void MakeVouchers(bool with_lines = true) {
    db_.Exec(
        "create table BOOK (BOOKNO varchar(9), BILLS varchar(9), YEAR varchar(9), MONTH "
        "varchar(9), DAY varchar(9))");
    db_.Exec("insert into BOOK values ('B1', '2', '2024', '1', '5')");
    db_.Exec("insert into BOOK values ('B2', '1', '2024', '12', '31')");
    db_.Exec(
        "create table BOOKDETAIL (BOOKNO varchar(9), LINE varchar(9), SUMMARY varchar(50), SID "
        "varchar(50), BID varchar(50), IID varchar(50), TOTALMONEY varchar(20), DEBCRE varchar(9), "
        "CANCELED varchar(9))");
    if (!with_lines) return;
    db_.Exec(
        "insert into BOOKDETAIL values ('B1', '1', 's1', '101', '2.01', '3.1', '10.5', '1', '0')");
    db_.Exec("insert into BOOKDETAIL values ('B1', '2', 's2', '102.1', NULL, NULL, '5', '2', '0')");
    db_.Exec("insert into BOOKDETAIL values ('B9', '1', 's3', '999', 'x', 'y', '1', '1', '0')");
    db_.Exec(
        "insert into BOOKDETAIL values ('B2', '1', 's4', '101', '2.01', '3.1', '7', '1', '1')");
    db_.Exec(
        "insert into BOOKDETAIL values ('B2', '2', 's5', '101', '2.01', '3.1', '7', '1', NULL)");
    db_.Exec(
        "insert into BOOKDETAIL values ('B2', '3', 's6', '101', '2.01', '3.1', '7', '1', ' 0')");
  }

  Rows Sorted(const std::string& sql) {
    Rows out;
    for (const auto& row : db_.Rows(sql)) {
      std::vector<std::string> values;
      for (const auto& v : row) values.push_back(v ? *v : "<null>");
      out.push_back(values);
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  void Build() {
    connection_.Open();
    BuildDerivedTables(connection_, events_);
  }

  BaseDir base_;
  Db db_{base_.WorkDatabase()};
  Connection connection_;
  RecordingEvents events_;
};

TEST_F(DerivedTablesTest, AllThreeTablesFromCompleteSources) {
  MakeAccounts();
  MakeCodes();
  MakeRemain();
  MakeVouchers();
  Build();
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  EXPECT_EQ(events_.progress, 20);

  // Every balance row, once per matching account; unmatched keys give NULLs.
  EXPECT_EQ(Sorted("select bal00, NewCode, DEBCRE, funcode, progcode from KMYE"),
            (Rows{{"1", "<null>", "<null>", "<null>", "<null>"},
                  {"100", "101", "1", "2.01", "3.1"},
                  {"5", "10201", "2", "<null>", "<null>"},
                  {"5", "10201", "3", "<null>", "<null>"}}));

  // Lines whose CANCELED is exactly "0", once per matching account.
  EXPECT_EQ(Sorted("select SUMMARY, TotalMoney, DEBCRE, BOOKNO, BILLS, SID, PZRQ, NewCode, "
                   "funcode, progcode from PZ"),
            (Rows{{"s1", "10.5", "1", "B1", "2", "101", "2024-01-05", "101", "2.01", "3.1"},
                  {"s2", "5", "2", "B1", "2", "102.1", "2024-01-05", "10201", "<null>", "<null>"},
                  {"s2", "5", "2", "B1", "2", "102.1", "2024-01-05", "10201", "<null>", "<null>"},
                  {"s3", "1", "1", "<null>", "<null>", "<null>", "<null>", "<null>", "<null>",
                   "<null>"}}));
  const auto numbers = db_.Column("select flxh from PZ");
  ASSERT_EQ(numbers.size(), 4u);
  EXPECT_EQ(std::set<std::string>(numbers.begin(), numbers.end()).size(), 4u);
  EXPECT_EQ(std::count(numbers.begin(), numbers.end(), "<null>"), 0);

  // Budget sections, then items, each only with a code.
  EXPECT_EQ(Sorted("select AidType, AidCode, AidName, AidDec, AidVouSourceFiledName, "
                   "AidBalSourceFiledName from aidInfo"),
            (Rows{{U8(u8"项目"), "3.1", U8(u8"校舍"), "", "progCode", "progCode"},
                  {U8(u8"预算"), "0", "zero", "", "funCode", "funCode"},
                  {U8(u8"预算"), "2.01", U8(u8"教育"), "", "funCode", "funCode"}}));
  EXPECT_EQ(db_.Column("select AidType from aidInfo").back(), U8(u8"项目"));
}

TEST_F(DerivedTablesTest, EmptyVoucherLinesStillGetTheNumberColumn) {
  MakeAccounts();
  MakeCodes();
  MakeRemain();
  MakeVouchers(/*with_lines=*/false);
  Build();
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  EXPECT_TRUE(db_.Rows("select flxh, SID, funcode, progcode from PZ").empty());
}

TEST_F(DerivedTablesTest, MissingSourcesAreLoggedAndTheNextStatementsStillRun) {
  MakeAccounts();
  MakeCodes();
  MakeVouchers();  // no REMAIN: KMYE cannot be made
  Build();
  ASSERT_EQ(events_.logs.size(), 1u);
  EXPECT_EQ(events_.logs[0].rfind(std::string("SQL=select a.bal00, b.NewCode"), 0), 0u);
  EXPECT_NE(events_.logs[0].find(std::string("d.IID)") + kCannotRun), std::string::npos);
  EXPECT_EQ(db_.Count("PZ"), 4u);
  EXPECT_EQ(db_.Count("aidInfo"), 3u);
  EXPECT_EQ(events_.progress, 20);
}

TEST_F(DerivedTablesTest, WithoutVoucherLinesTheNumberingFailsToo) {
  MakeAccounts();
  MakeCodes();
  MakeRemain();
  Build();
  ASSERT_EQ(events_.logs.size(), 2u);
  EXPECT_EQ(events_.logs[1].rfind(
                std::string("SQL=alter table PZ add column flxh AUTOINCREMENT") + kCannotRun, 0),
            0u);
  EXPECT_EQ(db_.Count("KMYE"), 4u);
  EXPECT_EQ(db_.Count("aidInfo"), 3u);
}

TEST_F(DerivedTablesTest, ExistingAidInfoMakesOnlyTheCreateFail) {
  MakeAccounts();
  MakeCodes();
  MakeRemain();
  MakeVouchers();
  db_.Exec(
      "create table aidInfo (AidType varchar(250), AidCode varchar(250), AidName varchar(250), "
      "AidDec varchar(250), AidVouSourceFiledName varchar(250), AidBalSourceFiledName "
      "varchar(250))");
  Build();
  ASSERT_EQ(events_.logs.size(), 1u);
  EXPECT_EQ(events_.logs[0].rfind("SQL=Create Table aidInfo(", 0), 0u);
  EXPECT_EQ(db_.Count("aidInfo"), 3u);
}

}  // namespace
}  // namespace dt

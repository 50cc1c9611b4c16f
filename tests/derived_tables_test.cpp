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

// The engine finds codes as the Windows engine does: ignoring letter case
// and trailing spaces, but not leading ones. Values keep their own form.
TEST_F(DerivedTablesTest, CodesMatchIgnoringLetterCaseAndTrailingSpaces) {
  db_.Exec("create table ACCOUNTSECTIONS (SID varchar(50), NewCode varchar(255), DEBCRE text)");
  db_.Exec("insert into ACCOUNTSECTIONS values ('ZX01', '0ZX01', '1')");
  db_.Exec("create table BUDGETSECTION (BID varchar(50), NAME varchar(50))");
  db_.Exec("insert into BUDGETSECTION values ('B.1', 'b')");
  db_.Exec("insert into BUDGETSECTION values ('  ', 'blank')");
  db_.Exec("insert into BUDGETSECTION values (' 0', 'leading')");
  db_.Exec("create table ITEM (IID varchar(50), NAME varchar(50))");
  db_.Exec("insert into ITEM values ('i.1', 'i')");
  db_.Exec("create table REMAIN (ID text, SID text, IID text, BID text, BAL00 text)");
  db_.Exec("insert into REMAIN values ('R1', 'zx01 ', 'I.1  ', 'b.1 ', '5')");
  db_.Exec("insert into REMAIN values ('R2', ' ZX01', NULL, NULL, '6')");
  db_.Exec("create table BOOK (BOOKNO text, BILLS text, YEAR text, MONTH text, DAY text)");
  db_.Exec("insert into BOOK values ('P1', '2', '2024', '1', '5')");
  db_.Exec(
      "create table BOOKDETAIL (BOOKNO text, LINE text, SUMMARY text, SID text, BID text, IID "
      "text, TOTALMONEY text, DEBCRE text, CANCELED text)");
  db_.Exec(
      "insert into BOOKDETAIL values ('p1 ', '1', 's1', 'zx01 ', 'b.1', 'I.1 ', '1', '1', "
      "'0  ')");
  db_.Exec(
      "insert into BOOKDETAIL values ('P1', '2', 's2', 'Zx01', 'B.1 ', 'i.1', '2', '1', "
      "' 0')");
  Build();
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  EXPECT_EQ(
      Sorted("select bal00, NewCode, DEBCRE, funcode, progcode from KMYE"),
      (Rows{{"5", "0ZX01", "1", "B.1", "i.1"}, {"6", "<null>", "<null>", "<null>", "<null>"}}));
  EXPECT_EQ(Sorted("select SUMMARY, BOOKNO, BILLS, SID, PZRQ, NewCode, funcode, progcode from PZ"),
            (Rows{{"s1", "P1", "2", "ZX01", "2024-01-05", "0ZX01", "B.1", "i.1"}}));
  // A blank code is empty; a code with a leading space is not.
  EXPECT_EQ(Sorted("select AidCode, AidName from aidInfo"),
            (Rows{{" 0", "leading"}, {"B.1", "b"}, {"i.1", "i"}}));
}

// Enough lines that SQLite plans the joins as for a real export; every line
// still finds its voucher, account, budget section and item.
TEST_F(DerivedTablesTest, ManyLinesFindTheirCodesWhateverTheirTrailingSpaces) {
  constexpr int kLines = 1200;
  constexpr int kCodes = 150;
  db_.Exec("create table ACCOUNTSECTIONS (SID varchar(50), NewCode varchar(255), DEBCRE text)");
  db_.Exec("create table BUDGETSECTION (BID varchar(50), NAME varchar(50))");
  db_.Exec("create table ITEM (IID varchar(50), NAME varchar(50))");
  db_.Exec("create table BOOK (BOOKNO text, BILLS text, YEAR text, MONTH text, DAY text)");
  for (int code = 0; code < kCodes; ++code) {
    const std::string n = std::to_string(code);
    db_.Exec("insert into ACCOUNTSECTIONS values ('Acc." + n + "', 'N" + n + "', '1')");
    db_.Exec("insert into BUDGETSECTION values ('Bud." + n + "', 'b')");
    db_.Exec("insert into ITEM values ('Itm." + n + "', 'i')");
    db_.Exec("insert into BOOK values ('Vou" + n + "', '1', '2024', '2', '29')");
  }
  db_.Exec(
      "create table BOOKDETAIL (BOOKNO text, LINE text, SUMMARY text, SID text, BID text, IID "
      "text, TOTALMONEY text, DEBCRE text, CANCELED text)");
  for (int line = 0; line < kLines; ++line) {
    const std::string n = std::to_string(line % kCodes);
    const std::string spaces(static_cast<std::size_t>(line % 3), ' ');
    db_.Exec("insert into BOOKDETAIL values ('VOU" + n + spaces + "', '" + std::to_string(line) +
             "', 's', 'acc." + n + spaces + "', 'BUD." + n + " ', 'itm." + n + spaces + spaces +
             "', '1', '1', '0')");
  }
  db_.Exec("create table REMAIN (ID text, SID text, IID text, BID text, BAL00 text)");
  db_.Exec("insert into REMAIN values ('R1', 'ACC.7  ', 'ITM.7 ', 'bud.7', '5')");
  Build();
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  EXPECT_EQ(db_.Count("PZ"), static_cast<std::size_t>(kLines));
  EXPECT_TRUE(db_.Rows("select flxh from PZ where BOOKNO is null or PZRQ is null or NewCode is "
                       "null or funcode is null or progcode is null")
                  .empty());
  EXPECT_EQ(Sorted("select NewCode, funcode, progcode from KMYE"),
            (Rows{{"N7", "Bud.7", "Itm.7"}}));
}

// aidInfo's fields hold 250 characters: a code longer than that fails the
// statement that would insert it, as a whole; the build goes on.
TEST_F(DerivedTablesTest, ACodeLongerThanItsFieldFailsItsInsertAlone) {
  MakeAccounts();
  MakeRemain();
  MakeVouchers();
  db_.Exec("create table BUDGETSECTION (BID memo, NAME memo)");
  db_.Exec("insert into BUDGETSECTION values ('2.01', 'fits')");
  db_.Exec("insert into BUDGETSECTION values ('" + std::string(251, '9') + "', 'too long')");
  db_.Exec("create table ITEM (IID memo, NAME memo)");
  db_.Exec("insert into ITEM values ('3.1', '" + std::string(250, 'n') + "')");
  Build();
  ASSERT_EQ(events_.logs.size(), 1u);
  const std::string& log = events_.logs[0];
  EXPECT_EQ(log.rfind("SQL=insert into aidInfo", 0), 0u) << log;
  EXPECT_NE(log.find("funCode"), std::string::npos) << log;
  const std::string message =
      std::string(kCannotRun) +
      "The field is too small to accept the amount of data you attempted to add. Try inserting "
      "or pasting less data";
  EXPECT_EQ(log.substr(log.size() - std::min(log.size(), message.size())), message);
  EXPECT_EQ(db_.Column("select AidCode from aidInfo"), std::vector<std::string>{"3.1"});
}

}  // namespace
}  // namespace dt

// The statements the build sends to the engine, word for word, run on small
// tables: the new-code column, the derived tables KMYE, PZ and aidInfo, and
// the reading and update statements of the code clean-up in their written
// form.
#include <set>

#include "src/workdb/derived_tables.h"
#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

using testing::ColumnIndex;
using testing::ErrorOf;
using testing::OpenEmptyDatabase;
using testing::ScratchDir;
using testing::SortedRows;

// The build's own statements, as it sends them.
std::string Derived(std::size_t index) {
  const std::u8string_view text = DerivedStatements()[index];
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}
const std::string kKmye = Derived(0);
const std::string kPz = Derived(1);
const std::string kFlxh = Derived(2);
const std::string kAidInfo = Derived(3);
const std::string kAidBudget = Derived(4);
const std::string kAidItem = Derived(5);
const char* const kNewCode = "alter table [ACCOUNTSECTIONS] add column [NewCode] varchar(255)";

// Imported tables as the text import makes them: every column TEXT.
class BuildStatementsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenEmptyDatabase(dir_, session_);
    Run({"CREATE TABLE ACCOUNTSECTIONS (SID text, NAME text, DEBCRE text)",
         "insert into ACCOUNTSECTIONS values ('101', 'cash', '1')",
         "insert into ACCOUNTSECTIONS values ('5', 'twin one', '1')",
         "insert into ACCOUNTSECTIONS values ('5', 'twin two', '-1')",
         "CREATE TABLE REMAIN (ID text, SID text, BID text, IID text, BAL00 text)",
         "insert into REMAIN values ('1', '101', 'B1', 'I1', '100')",
         "insert into REMAIN values ('2', '999', NULL, NULL, '5')",
         "insert into REMAIN values ('3', '5', 'B1', 'X', '7')",
         "CREATE TABLE BUDGETSECTION (BID text, NAME text)",
         "insert into BUDGETSECTION values ('B1', 'budget')",
         "insert into BUDGETSECTION values ('', 'empty')",
         "insert into BUDGETSECTION values (NULL, 'null')",
         "insert into BUDGETSECTION values ('0', 'zero')",
         "CREATE TABLE ITEM (IID text, NAME text)",
         "insert into ITEM values ('I1', 'item')",
         "insert into ITEM values ('', 'empty')",
         "CREATE TABLE BOOK (BOOKNO text, SID text, BILLS text, YEAR text, MONTH text, DAY text)",
         "insert into BOOK values ('P1', '101', '2', '2020', '1', '5')",
         "CREATE TABLE BOOKDETAIL (BOOKNO text, LINE text, SID text, BID text, IID text, "
         "TOTALMONEY text, DEBCRE text, SUMMARY text, CANCELED text)",
         "insert into BOOKDETAIL values ('P1', '1', '101', 'B1', 'I1', '10', '1', 's1', '0')",
         "insert into BOOKDETAIL values ('P1', '2', '5', NULL, NULL, '20', '-1', 's2', '0')",
         "insert into BOOKDETAIL values ('P9', '1', '101', 'B1', 'I1', '30', '1', 's3', '0')",
         "insert into BOOKDETAIL values ('P1', '3', '101', 'B1', 'I1', '40', '1', 's4', '1')",
         "insert into BOOKDETAIL values ('P1', '4', '101', 'B1', 'I1', '50', '1', 's5', NULL)",
         "insert into BOOKDETAIL values ('P1', '5', '101', 'B1', 'I1', '60', '1', 's6', '')"});
  }

  void Run(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) session_.Execute(sql);
  }

  // The new-code column, filled the way the account code rebuild fills it.
  void AddNewCodes() {
    session_.Execute(kNewCode);
    const Snapshot accounts = session_.Query("SELECT * FROM ACCOUNTSECTIONS");
    const std::size_t sid = ColumnIndex(accounts, "SID");
    const std::size_t new_code = ColumnIndex(accounts, "NewCode");
    for (std::size_t row = 0; row < accounts.rows.size(); ++row) {
      session_.UpdateRow(accounts, row, {{new_code, "00" + accounts.rows[row][sid].value_or("")}});
    }
  }

  ScratchDir dir_;
  StandInEngine session_;
};

TEST_F(BuildStatementsTest, NewCodeColumnIsAddedEmptyAndOnlyOnce) {
  session_.Execute(kNewCode);
  const Snapshot accounts = session_.Query("SELECT * FROM ACCOUNTSECTIONS");
  EXPECT_EQ(accounts.columns, (std::vector<std::string>{"SID", "NAME", "DEBCRE", "NewCode"}));
  for (const auto& row : accounts.rows) EXPECT_FALSE(row[3].has_value());
  EXPECT_NE(ErrorOf([&] { session_.Execute(kNewCode); }).find("already exists"), std::string::npos);
}

TEST_F(BuildStatementsTest, BalanceTableKeepsUnmatchedRowsAndRepeatsSharedAccounts) {
  AddNewCodes();
  EXPECT_EQ(session_.Execute(kKmye), 4);
  const Snapshot kmye = session_.Query("select * from kmye");
  ASSERT_EQ(kmye.columns.size(), 5u);
  for (const char* name : {"bal00", "NewCode", "DEBCRE", "funcode", "progcode"}) {
    ColumnIndex(kmye, name);
  }
  EXPECT_EQ(
      SortedRows(session_.Query("select bal00, NewCode, DEBCRE, funcode, progcode from KMYE")),
      (std::vector<std::string>{"100|00101|1|B1|I1", "5|<null>|<null>|<null>|<null>",
                                "7|005|-1|B1|<null>", "7|005|1|B1|<null>"}));
  EXPECT_NE(ErrorOf([&] { session_.Execute(kKmye); }), "");  // KMYE exists now
}

TEST_F(BuildStatementsTest, VoucherLinesTakeUncancelledLinesWithDatesAndNumbers) {
  AddNewCodes();
  EXPECT_EQ(session_.Execute(kPz), 4);
  EXPECT_EQ(session_.Execute(kFlxh), 0);
  const Snapshot pz = session_.Query("select * from PZ");
  EXPECT_EQ(pz.columns,
            (std::vector<std::string>{"TotalMoney", "DEBCRE", "SUMMARY", "BOOKNO", "BILLS", "SID",
                                      "PZRQ", "NewCode", "funcode", "progcode", "flxh"}));
  EXPECT_EQ(
      SortedRows(session_.Query(
          "select TotalMoney, BOOKNO, BILLS, SID, PZRQ, NewCode, funcode, progcode from PZ")),
      (std::vector<std::string>{
          "10|P1|2|101|2020-01-05|00101|B1|I1", "20|P1|2|5|2020-01-05|005|<null>|<null>",
          "20|P1|2|5|2020-01-05|005|<null>|<null>", "30|<null>|<null>|101|<null>|00101|B1|I1"}));
  // Every row has its own number, 1..n, and later rows go on from there.
  std::set<std::string> numbers;
  for (const auto& row : pz.rows) numbers.insert(row[10].value_or("?"));
  EXPECT_EQ(numbers, (std::set<std::string>{"1", "2", "3", "4"}));
  session_.Execute("insert into PZ (SID) values ('new')");
  EXPECT_EQ(session_.Query("select flxh from PZ where SID = 'new'").rows[0][0], "5");
  EXPECT_NE(ErrorOf([&] { session_.Execute(kFlxh); }).find("already exists"), std::string::npos);
}

TEST_F(BuildStatementsTest, EmptyVoucherLinesStillGetTheNumberColumn) {
  AddNewCodes();
  session_.Execute("delete from BOOKDETAIL");
  EXPECT_EQ(session_.Execute(kPz), 0);
  session_.Execute(kFlxh);
  const Snapshot pz = session_.Query("select * from PZ");
  EXPECT_EQ(pz.rows.size(), 0u);
  EXPECT_EQ(pz.columns.back(), "flxh");
  session_.Execute("insert into PZ (SID) values ('1')");
  EXPECT_EQ(session_.Query("select flxh from PZ").rows[0][0], "1");
}

TEST_F(BuildStatementsTest, BadVoucherDateFailsTheWholeStatement) {
  // A voucher of its own whose date cannot be read fails PZ, as on Jet; only
  // a line whose voucher is missing has no date.
  const struct {
    const char* year;
    const char* month;
    const char* day;
    const char* error;
  } kCases[] = {
      {"'2021'", "'2'", "'30'", "'2021-2-30' is not a date"},
      {"'2024'", "'13'", "'13'", "'2024-13-13' is not a date"},
      {"NULL", "'2'", "'1'", "Invalid use of Null"},
  };
  AddNewCodes();
  for (const auto& c : kCases) {
    session_.Execute("delete from BOOK where BOOKNO = 'P2'");
    session_.Execute(std::string("insert into BOOK values ('P2', '101', '1', ") + c.year + ", " +
                     c.month + ", " + c.day + ")");
    session_.Execute(
        "insert into BOOKDETAIL values ('P2', '1', '101', 'B1', 'I1', '1', '1', 's', '0')");
    const std::string error = ErrorOf([&] { session_.Execute(kPz); });
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_NE(ErrorOf([&] { session_.Execute(kFlxh); }).find("Table 'PZ' does not exist"),
              std::string::npos);
  }
}

TEST_F(BuildStatementsTest, AuxiliaryCodesSkipEmptyAndNullCodes) {
  Run({kAidInfo, kAidBudget, kAidItem});
  EXPECT_EQ(SortedRows(session_.Query("select * from aidInfo")),
            (std::vector<std::string>{
                "\xE9\xA1\xB9\xE7\x9B\xAE|I1|item||progCode|progCode",
                "\xE9\xA2\x84\xE7\xAE\x97|0|zero||funCode|funCode",
                "\xE9\xA2\x84\xE7\xAE\x97|B1|budget||funCode|funCode",
            }));
  EXPECT_EQ(session_.Query("select * from aidInfo").columns,
            (std::vector<std::string>{"AidType", "AidCode", "AidName", "AidDec",
                                      "AidVouSourceFiledName", "AidBalSourceFiledName"}));
  EXPECT_NE(ErrorOf([&] { session_.Execute(kAidInfo); }).find("Table 'aidInfo' already exists"),
            std::string::npos);
}

TEST_F(BuildStatementsTest, CleanUpStatementsInTheirWrittenForm) {
  AddNewCodes();
  Run({kKmye, kPz, kFlxh, kAidInfo, kAidBudget, kAidItem,
       "update BUDGETSECTION set BID = 'B.1' where BID = 'B1'"});
  // Reading statements, each with its trailing space, and their fields.
  const std::vector<std::pair<std::string, std::vector<std::string>>> readers = {
      {"Select aidCode From aidInfo ", {"aidCode"}},
      {"Select SID From accountsections ", {"SID"}},
      {"Select SID, BOOKNO From BOOK ", {"BOOKNO", "SID"}},
      {"Select * From BOOKDETAIL ", {"BOOKNO", "LINE", "SID", "BID", "IID"}},
      {"Select BID From budgetsection ", {"BID"}},
      {"Select IID From item ", {"IID"}},
      {"Select NewCode, funcode, progcode From KMYE ", {"NewCode", "funcode", "progcode"}},
      {"Select flxh, SID, funcode, progcode From PZ ", {"flxh", "SID", "funcode", "progcode"}},
      {"Select ID, SID, IID, BID From remain ", {"ID", "SID", "IID", "BID"}},
  };
  for (const auto& [sql, fields] : readers) {
    const Snapshot snapshot = session_.Query(sql);
    EXPECT_FALSE(snapshot.rows.empty()) << sql;
    for (const std::string& field : fields) ColumnIndex(snapshot, field);
  }
  EXPECT_EQ(session_.Execute("update aidInfo Set aidCode = '201' where aidCode = '2.1'"), 0);
  EXPECT_EQ(session_.Execute("update budgetsection Set BID = 'B01' where BID = 'B.1'"), 1);
  EXPECT_EQ(session_.Execute("update BOOK Set SID = '101' where BOOKNO = 'P1'"), 1);
  EXPECT_EQ(session_.Execute("update BOOKDETAIL Set SID = '5', BID = '', IID = '' where BOOKNO = "
                             "'P1' and LINE = '2'"),
            1);
  EXPECT_EQ(session_.Execute("update KMYE Set funcode = 'B01', progcode = 'I1' where NewCode = "
                             "'00101' and funcode = 'B1' and progcode = 'I1'"),
            1);
  EXPECT_EQ(session_.Execute("update remain Set SID = '999', IID = '', BID = '' where ID = '2'"),
            1);
  const Snapshot pz = session_.Query("Select flxh, SID, funcode, progcode From PZ ");
  const std::string flxh = *pz.rows[0][0];
  EXPECT_EQ(session_.Execute(
                "update PZ Set SID = '501', funcode = '', progcode = '' where flxh = " + flxh),
            1);
  EXPECT_EQ(session_.Query("select SID, funcode, progcode from PZ where flxh = " + flxh).rows[0],
            (std::vector<Value>{"501", "", ""}));
  // A value holding a single quote ends the quoted text early: rejected.
  EXPECT_NE(ErrorOf([&] { session_.Execute("update item Set IID = 'it's' where IID = 'I1'"); }),
            "");
}

}  // namespace
}  // namespace dt::engine::standin

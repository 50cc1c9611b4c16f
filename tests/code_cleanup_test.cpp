// The code clean-up pass: each row's own codes trimmed and undotted,
// whatever its neighbours, keys or quotes hold; NewCode untouched; a missing
// table ends the pass where it stands.
#include "src/workdb/code_cleanup.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "src/staging/text_utils.h"
#include "src/workdb/data_access.h"
#include "tests/build_test_util.h"

namespace dt {
namespace {

using testing::BaseDir;
using testing::Db;
using testing::Gbk;
using testing::RecordingEvents;
using testing::U8;
using Strings = std::vector<std::string>;

// Every "." character of the ANSI text made "0", stepping through it
// character by character as the code page operations do.
std::string UndotAnsi(std::string_view ansi) {
  std::string out;
  for (std::size_t i = 0; i < ansi.size(); ++i) {
    if (platform::IsAnsiLeadByte(static_cast<unsigned char>(ansi[i])) && i + 1 < ansi.size()) {
      out += ansi.substr(i++, 2);
    } else {
      out += ansi[i] == '.' ? '0' : ansi[i];
    }
  }
  return out;
}

TEST(CleanCodeTest, TrimsAndTurnsEveryDotIntoZero) {
  struct Case {
    std::string value;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"2.1", "201"},
      {" \t2.1 \r\n", "201"},
      {"...", "000"},
      {"", ""},
      {"   ", ""},
      {"501", "501"},
      {"a'b.c", "a'b0c"},
      {U8(u8"𠀀.1 "), U8(u8"𠀀01")},
      {U8(u8"中.文"), U8(u8"中0文")},
      {"x.\x7f", "x0\x7f"},
  };
  for (const auto& c : cases) EXPECT_EQ(CleanCode(c.value), c.expected) << c.value;
}

TEST(CleanCodeTest, SameResultOnUtf8AsTheCodePageOperationsGive) {
  // Characters whose code page 936 trail bytes fall among ASCII letters and
  // symbols, next to dots and spaces.
  const std::vector<std::u8string> texts = {u8" 丂.乀 ", u8"埃.@.", u8"中文.1.2",
                                            u8"．.。",   u8"啊.A",  u8"\t.预算.项目. "};
  for (const auto& text : texts) {
    const std::string ansi = platform::Ansi(text);
    const std::string expected = platform::AnsiToUtf8(UndotAnsi(platform::Trim(ansi)));
    EXPECT_EQ(CleanCode(platform::AnsiToUtf8(ansi)), expected)
        << std::string(text.begin(), text.end());
  }
}

class CleanupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.Exec("create table aidInfo (AidType varchar(250), aidCode varchar(250))");
    db_.Exec("insert into aidInfo values ('a', '2.1 ')");
    db_.Exec("insert into aidInfo values ('b', '2.1')");  // shares its code with the row before
    db_.Exec("insert into aidInfo values ('c', '201')");
    db_.Exec("insert into aidInfo values ('d', NULL)");

    db_.Exec("create table ACCOUNTSECTIONS (SID varchar(50), NewCode varchar(255))");
    db_.Exec(U8(u8"insert into ACCOUNTSECTIONS values ('𠀀.1', '1.01')"));
    db_.Exec("insert into ACCOUNTSECTIONS values (NULL, NULL)");

    db_.Exec("create table BOOK (BOOKNO varchar(9), SID varchar(50))");
    db_.Exec("insert into BOOK values ('B1', '1.1')");
    db_.Exec("insert into BOOK values ('B1', '2.2')");  // same BOOKNO, own SID
    db_.Exec("insert into BOOK values ('B2', '1.0''1')");
    db_.Exec("insert into BOOK values ('B3', NULL)");
    db_.Exec("insert into BOOK values (NULL, NULL)");

    db_.Exec(
        "create table BOOKDETAIL (BOOKNO varchar(9), LINE varchar(9), SID varchar(50), "
        "BID varchar(50), IID varchar(50), SUMMARY varchar(50))");
    db_.Exec("insert into BOOKDETAIL values ('B1', '1', '1.1', '2.01', NULL, 'a.b')");
    db_.Exec("insert into BOOKDETAIL values ('B1', '1', '1.2', ' 2.02', '3.1 ', 'c.d')");
    db_.Exec("insert into BOOKDETAIL values ('B2', NULL, '1.3', NULL, 'x''.y', NULL)");

    db_.Exec("create table BUDGETSECTION (BID varchar(50), NAME varchar(50))");
    db_.Exec(U8(u8"insert into BUDGETSECTION values ('2.01', '教育.1')"));

    db_.Exec("create table KMYE (NewCode varchar(255), funcode varchar(50), progcode varchar(50))");
    db_.Exec("insert into KMYE values ('1.01', '2.01', NULL)");
    db_.Exec("insert into KMYE values (NULL, NULL, '3.1')");

    db_.Exec(
        "create table REMAIN (ID varchar(9), SID varchar(50), IID varchar(50), BID varchar(50))");
    db_.Exec("insert into REMAIN values ('R1', '1.1', NULL, '2.0.1')");
    db_.Exec("insert into REMAIN values ('R1', '1.2', '3.1', '')");
    db_.Exec("insert into REMAIN values (NULL, NULL, '4.1', NULL)");

    connection_.SetConnectionString(base_.WorkConnection());
    connection_.Open();
  }

  void MakeItems() { db_.Exec("create table ITEM (IID varchar(50))"); }

  void MakeVoucherLines() {
    db_.Exec(
        "create table PZ (SID varchar(50), funcode varchar(50), progcode varchar(50), "
        "NewCode varchar(255))");
    db_.Exec("insert into PZ values ('1.1', '2.01', '3.1', '1.01')");
    db_.Exec("insert into PZ values (NULL, NULL, ' 3.2', NULL)");
    db_.Exec("alter table PZ add column flxh AUTOINCREMENT");
  }

  void ExpectFirstSevenCleaned() {
    // A NULL code becomes empty text only in the four tables found by keys
    // of their own, where those keys hold values; elsewhere it stays NULL.
    EXPECT_EQ(db_.Column("select aidCode from aidInfo"), (Strings{"201", "201", "201", "<null>"}));
    EXPECT_EQ(db_.Column("select SID from ACCOUNTSECTIONS"), (Strings{U8(u8"𠀀01"), "<null>"}));
    EXPECT_EQ(db_.Column("select NewCode from ACCOUNTSECTIONS"), (Strings{"1.01", "<null>"}));
    EXPECT_EQ(db_.Column("select SID from BOOK"), (Strings{"101", "202", "100'1", "", "<null>"}));
    EXPECT_EQ(db_.Column("select BOOKNO from BOOK"), (Strings{"B1", "B1", "B2", "B3", "<null>"}));
    EXPECT_EQ(db_.Column("select SID from BOOKDETAIL"), (Strings{"101", "102", "103"}));
    EXPECT_EQ(db_.Column("select BID from BOOKDETAIL"), (Strings{"2001", "2002", "<null>"}));
    EXPECT_EQ(db_.Column("select IID from BOOKDETAIL"), (Strings{"", "301", "x'0y"}));
    EXPECT_EQ(db_.Column("select SUMMARY from BOOKDETAIL"), (Strings{"a.b", "c.d", "<null>"}));
    EXPECT_EQ(db_.Column("select LINE from BOOKDETAIL"), (Strings{"1", "1", "<null>"}));
    EXPECT_EQ(db_.Column("select BID from BUDGETSECTION"), (Strings{"2001"}));
    EXPECT_EQ(db_.Column("select NAME from BUDGETSECTION"), (Strings{U8(u8"教育.1")}));
    EXPECT_EQ(db_.Column("select funcode from KMYE"), (Strings{"2001", "<null>"}));
    EXPECT_EQ(db_.Column("select progcode from KMYE"), (Strings{"<null>", "301"}));
    EXPECT_EQ(db_.Column("select NewCode from KMYE"), (Strings{"1.01", "<null>"}));
  }

  BaseDir base_;
  Db db_{base_.WorkDatabase()};
  Connection connection_;
  RecordingEvents events_;
};

TEST_F(CleanupTest, EveryRowGetsItsOwnCleanedCodes) {
  MakeItems();
  MakeVoucherLines();
  CleanUpCodes(connection_, events_);
  ExpectFirstSevenCleaned();
  EXPECT_EQ(db_.Column("select SID from PZ"), (Strings{"101", ""}));
  EXPECT_EQ(db_.Column("select funcode from PZ"), (Strings{"2001", ""}));
  EXPECT_EQ(db_.Column("select progcode from PZ"), (Strings{"301", "302"}));
  EXPECT_EQ(db_.Column("select NewCode from PZ"), (Strings{"1.01", "<null>"}));
  EXPECT_EQ(db_.Column("select SID from REMAIN"), (Strings{"101", "102", "<null>"}));
  EXPECT_EQ(db_.Column("select IID from REMAIN"), (Strings{"", "301", "401"}));
  EXPECT_EQ(db_.Column("select BID from REMAIN"), (Strings{"20001", "", "<null>"}));
  EXPECT_TRUE(events_.logs.empty());

  ASSERT_EQ(events_.phases.size(), 9u);
  EXPECT_EQ(events_.phases[7], std::make_pair(BuildPhase::kCleanup, std::string("PZ")));
}

TEST_F(CleanupTest, MissingVoucherLinesEndThePassAfterTheFirstSeven) {
  MakeItems();
  try {
    CleanUpCodes(connection_, events_);
    FAIL() << "no error";
  } catch (const EOleException& e) {
    EXPECT_NE(e.Message().find("PZ"), std::string::npos) << e.Message();
  }
  ExpectFirstSevenCleaned();
  EXPECT_EQ(db_.Column("select SID from REMAIN"), (Strings{"1.1", "1.2", "<null>"}));
  EXPECT_EQ(events_.phases.size(), 8u);
}

TEST_F(CleanupTest, MissingFieldWritesNothingToItsTable) {
  MakeVoucherLines();
  db_.Exec("create table ITEM (CODE varchar(50))");
  db_.Exec("insert into ITEM values ('1.1')");
  EXPECT_THROW(CleanUpCodes(connection_, events_), EOleException);
  EXPECT_EQ(db_.Column("select BID from BUDGETSECTION"), (Strings{"2001"}));
  EXPECT_EQ(db_.Column("select CODE from ITEM"), (Strings{"1.1"}));
  EXPECT_EQ(db_.Column("select funcode from KMYE"), (Strings{"2.01", "<null>"}));
}

}  // namespace
}  // namespace dt

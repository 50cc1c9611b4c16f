// The account code rebuild: segments of a SID, padding to each level's
// widest segment in bytes, and NewCode written back row by row.
#include "src/workdb/account_codes.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>

#include "platform/errors.h"
#include "src/workdb/data_access.h"
#include "tests/build_test_util.h"

namespace dt {
namespace {

using testing::BaseDir;
using testing::Db;
using testing::Gbk;
using testing::RecordingEvents;
using testing::U8;
using Segments = std::array<std::string, kAccountLevels>;

TEST(AccountSegmentsTest, CutsAtDotsSkippingLeadingSpacesHashesAndDots) {
  struct Case {
    std::string sid;
    Segments expected;
  };
  const std::vector<Case> cases = {
      {"101", {"101", "", "", "", ""}},
      {"101.12.3", {"101", "12", "3", "", ""}},
      {"1.2.3.4.5.6", {"1", "2", "3", "4", "5"}},
      {"101..02", {"101", "02", "", "", ""}},
      {"#101.#02", {"101", "02", "", "", ""}},
      {".5.", {"5", "", "", "", ""}},
      {"101.02 ", {"101", "02 ", "", "", ""}},
      {" 7 .8", {"7 ", "8", "", "", ""}},
      {"", {"", "", "", "", ""}},
      {Gbk(u8"中.1"), {Gbk(u8"中"), "1", "", "", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(AccountSegments(c.sid), c.expected) << c.sid;
}

std::vector<std::string> Codes(const std::vector<std::string>& sids) {
  std::vector<Segments> segments;
  for (const auto& sid : sids) segments.push_back(AccountSegments(sid));
  return PadAndJoin(segments);
}

TEST(PadAndJoinTest, PadsEachLevelToItsWidestSegment) {
  struct Case {
    std::vector<std::string> sids;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {{"101", "101.1", "101.12.3", "2.01"}, {"101", "10101", "101123", "00201"}},
      {{"1.2.3.4.5.6"}, {"12345"}},
      // The sixth level widens nothing.
      {{"1.2.3.4.5.666", "1"}, {"12345", "1"}},
      {{"101.02 ", "101.1"}, {"10102 ", "101001"}},
      {{"101..02", "101.02"}, {"10102", "10102"}},
      {{"", "12"}, {"", "12"}},
      // A Chinese character counts two bytes towards the width.
      {{Gbk(u8"中.1"), "1.22"}, {Gbk(u8"中") + "01", "0122"}},
      {{}, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Codes(c.sids), c.expected) << ::testing::PrintToString(c.sids);
}

class RebuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.Exec("create table ACCOUNTSECTIONS (SETID varchar(9), SID varchar(50), NAME varchar(50))");
    connection_.SetConnectionString(base_.WorkConnection());
    connection_.Open();
  }
  void Add(const std::string& utf8_sid) {
    db_.Exec("insert into ACCOUNTSECTIONS (SETID, SID, NAME) values ('1', '" + utf8_sid +
             "', 'n')");
  }

  BaseDir base_;
  Db db_{base_.WorkDatabase()};
  Connection connection_;
  RecordingEvents events_;
};

TEST_F(RebuildTest, WorkedExampleIsWrittenToEveryRow) {
  for (const char* sid : {"101", "101.1", "101.12.3", "2.01"}) Add(sid);
  RebuildAccountCodes(connection_, events_);
  EXPECT_TRUE(events_.logs.empty());
  EXPECT_EQ(events_.progress, 20);
  EXPECT_EQ(db_.Column("select NewCode from ACCOUNTSECTIONS"),
            (std::vector<std::string>{"101", "10101", "101123", "00201"}));
  EXPECT_EQ(db_.Column("select SID from ACCOUNTSECTIONS"),
            (std::vector<std::string>{"101", "101.1", "101.12.3", "2.01"}));
}

TEST_F(RebuildTest, UnusualSidsAndCharactersBeyondTheCodePage) {
  Add("1.2.3.4.5.6");
  Add("#9..8 ");
  Add(U8(u8"中.1"));
  Add(U8(u8"𠀀.2"));  // no code page 936 form: NewCode gets '?', SID stays as it is
  Add("");
  db_.Exec("insert into ACCOUNTSECTIONS (SETID, SID, NAME) values ('1', NULL, 'n')");
  RebuildAccountCodes(connection_, events_);
  EXPECT_EQ(db_.Column("select NewCode from ACCOUNTSECTIONS"),
            (std::vector<std::string>{"0102345", "098 ", U8(u8"中01"), "0?02", "", ""}));
  EXPECT_EQ(db_.Column("select SID from ACCOUNTSECTIONS"),
            (std::vector<std::string>{"1.2.3.4.5.6", "#9..8 ", U8(u8"中.1"), U8(u8"𠀀.2"), "",
                                      "<null>"}));
}

TEST_F(RebuildTest, EmptyTableStillAdvancesProgress) {
  RebuildAccountCodes(connection_, events_);
  EXPECT_EQ(events_.progress, 20);
  EXPECT_TRUE(events_.logs.empty());
  EXPECT_TRUE(db_.Rows("select NewCode from ACCOUNTSECTIONS").empty());
}

TEST_F(RebuildTest, ExistingNewCodeColumnIsLoggedAndFilled) {
  db_.Exec("alter table ACCOUNTSECTIONS add column NewCode varchar(255)");
  Add("1.01");
  RebuildAccountCodes(connection_, events_);
  ASSERT_EQ(events_.logs.size(), 1u);
  EXPECT_EQ(events_.logs[0].rfind("SQL=alter table [ACCOUNTSECTIONS] add column [NewCode] "
                                  "varchar(255)\xB2\xBB\xC4\xDC\xD6\xB4\xD0\xD0",
                                  0),
            0u);
  EXPECT_EQ(db_.Column("select NewCode from ACCOUNTSECTIONS"), std::vector<std::string>{"101"});
}

TEST(RebuildFailureTest, MissingTableIsLoggedThenEndsTheBuild) {
  BaseDir base;
  Db(base.WorkDatabase()).Exec("create table Other (A varchar(5))");
  Connection connection;
  connection.SetConnectionString(base.WorkConnection());
  connection.Open();
  RecordingEvents events;
  EXPECT_THROW(RebuildAccountCodes(connection, events), EOleException);
  EXPECT_EQ(events.logs.size(), 1u);
  EXPECT_EQ(events.progress, 0);
}

TEST(RebuildFailureTest, NewCodeThatCannotBeAddedEndsTheBuildAtTheFirstRow) {
  // A view takes no new column, yet reads like the table.
  BaseDir base;
  Db(base.WorkDatabase()).Exec("create table Accounts (SID varchar(50))");
  Db(base.WorkDatabase()).Exec("insert into Accounts values ('1.01')");
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(base.WorkDatabase().string().c_str(), &raw), SQLITE_OK);
  const int created = sqlite3_exec(raw, "CREATE VIEW ACCOUNTSECTIONS AS SELECT * FROM Accounts",
                                   nullptr, nullptr, nullptr);
  sqlite3_close(raw);
  ASSERT_EQ(created, SQLITE_OK);

  Connection connection;
  connection.SetConnectionString(base.WorkConnection());
  connection.Open();
  RecordingEvents events;
  try {
    RebuildAccountCodes(connection, events);
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'NewCode' not found");
  }
  EXPECT_EQ(events.logs.size(), 1u);  // the alter statement
  EXPECT_EQ(events.progress, 0);
  EXPECT_EQ(Db(base.WorkDatabase()).Column("select SID from Accounts"),
            std::vector<std::string>{"1.01"});
}

// NewCode is a field of 255 characters: a code that pads past it cannot be
// posted, and that ends the build; codes posted before it stay. Characters
// count, not the bytes of the code page.
TEST(RebuildFailureTest, NewCodeLongerThanItsFieldEndsTheBuild) {
  struct Case {
    std::vector<std::string> sids;  // UTF-8
    std::size_t posted;             // codes written before the build ends
    bool completes;
  };
  const std::string x255(255, 'x');
  std::string chinese200;
  for (int i = 0; i < 200; ++i) chinese200 += U8(u8"中");
  const std::vector<Case> cases = {
      {{x255, "1"}, 2, true},           {{x255 + "x", "1"}, 0, false},
      {{"1.2", "1." + x255}, 0, false},  // 1 and 2 padded to 1 and 255: 256 characters
      {{chinese200}, 1, true},           // 400 bytes, 200 characters
      {{chinese200, "1"}, 1, false},     // "1" padded to 400 bytes
  };
  for (const Case& c : cases) {
    BaseDir base;
    Db db(base.WorkDatabase());
    db.Exec("create table ACCOUNTSECTIONS (SID memo)");
    for (const std::string& sid : c.sids) {
      db.Exec("insert into ACCOUNTSECTIONS values ('" + sid + "')");
    }
    Connection connection;
    connection.SetConnectionString(base.WorkConnection());
    connection.Open();
    RecordingEvents events;
    std::string error;
    try {
      RebuildAccountCodes(connection, events);
    } catch (const EDatabaseError& e) {
      error = e.Message();
    }
    const std::string what = c.sids.front().substr(0, 8) + "... " + std::to_string(c.sids.size());
    EXPECT_EQ(error, c.completes ? ""
                                 : "The field is too small to accept the amount of data you "
                                   "attempted to add. Try inserting or pasting less data")
        << what;
    EXPECT_EQ(events.progress, c.completes ? 20 : 0) << what;
    EXPECT_EQ(db.Rows("select NewCode from ACCOUNTSECTIONS where NewCode is not null").size(),
              c.posted)
        << what;
  }
}

}  // namespace
}  // namespace dt

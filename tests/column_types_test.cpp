// Field sizes: a text field declared with a size refuses a longer value, by
// every way a value reaches it, counted in characters as the Windows engine
// counts them, and keeps refusing after its table is rebuilt; other fields
// take any length.
#include "engine/jetsql/column_types.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

using testing::KindOf;
using testing::OpenEmptyDatabase;
using testing::ScratchDir;

constexpr char kTooSmall[] =
    "The field is too small to accept the amount of data you attempted to add. Try inserting or "
    "pasting less data.";

TEST(ColumnTypesTest, DeclaredTextSizes) {
  struct Case {
    std::string declared;
    std::optional<int> size;
  };
  const std::vector<Case> cases = {
      {"TEXT(250)", 250}, {"VARCHAR(50)", 50},      {"nvarchar( 7 )", 7}, {"CHAR (2)", 2},
      {"TEXT", {}},       {"MEMO(5)", {}},          {"LONG(4)", {}},      {"DECIMAL(10,2)", {}},
      {"TEXT(x)", {}},    {"TEXT(5) NOT NULL", {}}, {"TEXT(-1)", {}},     {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(DeclaredTextSize(c.declared), c.size) << c.declared;
}

class FieldSizeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenEmptyDatabase(dir_, session_);
    session_.Execute("create table F (A varchar(5), B text, C memo, D char(2), N long)");
    session_.Execute("alter table F add column E varchar(3)");
    session_.Execute("insert into F (A, E) values ('keep', 'e')");
  }

  // What inserting `values` into `columns` of F gives: "" or the message.
  std::string Insert(const std::string& columns, const std::string& values) {
    try {
      session_.Execute("insert into F (" + columns + ") values (" + values + ")");
      return "";
    } catch (const Error& error) {
      EXPECT_EQ(error.kind(), ErrorKind::kFieldTooSmall) << error.what();
      return error.what();
    }
  }

  std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> values;
    for (const auto& row : session_.Query(sql).rows) values.push_back(row[0].value_or("<null>"));
    return values;
  }

  ScratchDir dir_;
  StandInEngine session_;
};

TEST_F(FieldSizeTest, InsertsLongerThanTheFieldAreRefused) {
  struct Case {
    std::string columns;
    std::string values;
    bool fits;
  };
  const std::string many(4000, 'x');
  const std::vector<Case> cases = {
      {"A", "'abcde'", true},
      {"A", "'abcdef'", false},
      {"A", "'abcd '", true},
      {"A", "'abcde '", false},  // trailing spaces are stored, so they count
      {"A", "'\xE4\xB8\xAD\xE6\x96\x87\xE4\xB8\xAD\xE6\x96\x87\xE4\xB8\xAD'",
       true},  // 5 characters
      {"A", "'\xE4\xB8\xAD\xE6\x96\x87\xE4\xB8\xAD\xE6\x96\x87\xE4\xB8\xAD\xE6\x96\x87'", false},
      {"A", "NULL", true},
      {"A", "12345", true},
      {"A", "123456", false},
      {"D", "'ab'", true},
      {"D", "'abc'", false},
      {"E", "'abc'", true},
      {"E", "'abcd'", false},
      {"B, C, N", "'" + many + "', '" + many + "', 123456789", true},
      {"A, B", "'a', '" + many + "'", true},
      {"B, A", "'b', 'abcdef'", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Insert(c.columns, c.values), c.fits ? "" : kTooSmall) << c.columns << c.values;
  }
}

TEST_F(FieldSizeTest, UpdatesPostsAndRewritesLongerThanTheFieldChangeNothing) {
  EXPECT_EQ(KindOf([&] { session_.Execute("update F set A = A & '!!' where A = 'keep'"); }),
            ErrorKind::kFieldTooSmall);
  const Snapshot rows = session_.Query("select A, E from F");
  EXPECT_EQ(KindOf([&] {
              session_.UpdateRow(rows, 0, {{0, "longer"}});
            }),
            ErrorKind::kFieldTooSmall);
  EXPECT_EQ(KindOf([&] {
              session_.RewriteColumns("F", {"E"}, {"E"}, {},
                                      [](std::string_view) { return "efgh"; });
            }),
            ErrorKind::kFieldTooSmall);
  EXPECT_EQ(Column("select A & '|' & E from F"), std::vector<std::string>{"keep|e"});
  session_.UpdateRow(rows, 0, {{0, "fits"}});
  EXPECT_EQ(Column("select A from F"), std::vector<std::string>{"fits"});
}

TEST_F(FieldSizeTest, SizesOutliveATableRebuildAndHoldForStockTools) {
  session_.Execute("alter table F add column ID autoincrement");
  EXPECT_EQ(Insert("A", "'abcdef'"), kTooSmall);
  EXPECT_EQ(Insert("E", "'abcd'"), kTooSmall);
  EXPECT_EQ(Insert("A, E", "'abcde', 'abc'"), "");
  EXPECT_EQ(Column("select ID from F order by ID"), (std::vector<std::string>{"1", "2"}));

  // The file needs nothing of the engine to hold the sizes.
  session_.Close();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dir_.File("work.mdb").c_str(), &db), SQLITE_OK);
  const int longer =
      sqlite3_exec(db, "insert into F (A) values ('abcdef')", nullptr, nullptr, nullptr);
  const int fits =
      sqlite3_exec(db, "insert into F (A) values ('abcde')", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  EXPECT_EQ(longer, SQLITE_CONSTRAINT);
  EXPECT_EQ(fits, SQLITE_OK);
}

}  // namespace
}  // namespace dt::engine::standin

// Comparisons of text as the Windows engine makes them: ASCII letter case
// and trailing spaces ignored, everything else counted, NULL equal to
// nothing; numbers still compared as numbers; values stored as they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

using testing::OpenEmptyDatabase;
using testing::ScratchDir;

class TextComparisonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenEmptyDatabase(dir_, session_);
    session_.Execute("create table T (ID long, K text, S varchar(20), N long, R double)");
    struct Row {
      const char* id;
      const char* k;  // nullptr for NULL
      const char* n;
      const char* r;
    };
    const std::vector<Row> rows = {
        {"1", "abc", "1", "1.0"},
        {"2", "ABC", "2", "10.5"},
        {"3", "abc ", "3", "2"},
        {"4", "Abc   ", "4", "4"},
        {"5", " abc", "5", "5"},
        {"6", "abc\t", "6", "6"},
        {"7", "abcd", "7", "7"},
        {"8", nullptr, "8", "8"},
        {"9", "", "9", "9"},
        {"10", "  ", "10", "10"},
        {"11", "\xC3\xA9t\xC3\xA9", "11", "11"},          // été
        {"12", "\xC3\x89T\xC3\x89", "12", "12"},          // ÉTÉ
        {"13", "\xE4\xB8\xAD\xE6\x96\x87 ", "13", "13"},  // 中文 and a space
        {"14", "x\xE3\x80\x80", "14", "14"},              // x and an ideographic space
    };
    for (const Row& row : rows) {
      const std::string k = row.k ? "'" + std::string(row.k) + "'" : "NULL";
      session_.Execute("insert into T (ID, K, S, N, R) values (" + std::string(row.id) + ", " + k +
                       ", " + k + ", " + row.n + ", " + row.r + ")");
    }
  }

  // The IDs of the rows of T that `condition` selects, in ID order.
  std::vector<std::string> Matching(const std::string& condition) {
    std::vector<std::string> ids;
    for (const auto& row :
         session_.Query("select ID from T where " + condition + " order by ID").rows) {
      ids.push_back(row[0].value_or("<null>"));
    }
    return ids;
  }

  ScratchDir dir_;
  StandInEngine session_;
};

using Ids = std::vector<std::string>;

TEST_F(TextComparisonTest, LetterCaseAndTrailingSpacesAreIgnored) {
  struct Case {
    std::string condition;
    Ids ids;
  };
  const std::vector<Case> cases = {
      {"K = 'abc'", {"1", "2", "3", "4"}},
      {"K = 'ABC  '", {"1", "2", "3", "4"}},
      {"'aBc' = K", {"1", "2", "3", "4"}},
      {"S = K", {"1", "2", "3", "4", "5", "6", "7", "9", "10", "11", "12", "13", "14"}},
      {"K = S & ' '", {"1", "2", "3", "4", "5", "6", "7", "9", "10", "11", "12", "13", "14"}},
      {"ucase(K) = 'ABC'", {"1", "2", "3", "4"}},
      {"K <> 'abc'", {"5", "6", "7", "9", "10", "11", "12", "13", "14"}},
      {"K = ''", {"9", "10"}},
      {"K <> ''", {"1", "2", "3", "4", "5", "6", "7", "11", "12", "13", "14"}},
      {"K in ('ABC ', 'zz')", {"1", "2", "3", "4"}},
      {"K not in ('abc', '')", {"5", "6", "7", "11", "12", "13", "14"}},
      {"K between 'AAA' and 'ABD'", {"1", "2", "3", "4", "6", "7"}},
      {"K < 'B' and K >= 'a'", {"1", "2", "3", "4", "6", "7"}},
      {"K > 'abc' and K <= 'ABCD '", {"6", "7"}},
      // Leading spaces, tabs, other characters' case and other spaces count.
      {"K = 'abc\t'", {"6"}},
      {"K = ' ABC'", {"5"}},
      {"K = '\xC3\xA9T\xC3\xA9'", {"11"}},
      {"K = '\xE4\xB8\xAD\xE6\x96\x87'", {"13"}},
      {"K = 'x'", {}},
      // NULL equals nothing, not even NULL.
      {"K = NULL or K <> NULL", {}},
      {"ID = 8 and (K = '' or K <> '')", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Matching(c.condition), c.ids) << c.condition;
}

TEST_F(TextComparisonTest, NumbersStillCompareAsNumbers) {
  struct Case {
    std::string condition;
    Ids ids;
  };
  const std::vector<Case> cases = {
      {"R = 1", {"1"}},
      {"R > 9", {"2", "10", "11", "12", "13", "14"}},
      {"N = R", {"1", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14"}},
      {"N between 9 and 10", {"9", "10"}},
      {"N in (2, 3)", {"2", "3"}},
      {"ID = N + 0 and ID < 3", {"1", "2"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Matching(c.condition), c.ids) << c.condition;
}

TEST_F(TextComparisonTest, UpdatesAndDeletesFindRowsTheSameWayAndStoreValuesAsGiven) {
  EXPECT_EQ(session_.Execute("update T set S = 'Hit ' where K = 'ABC'"), 4);
  EXPECT_EQ(Matching("S = 'hit'"), (Ids{"1", "2", "3", "4"}));
  EXPECT_EQ(session_.Query("select K, S from T where ID = 4").rows[0],
            (std::vector<Value>{"Abc   ", "Hit "}));
  EXPECT_EQ(session_.Execute("delete from T where K = 'abc ' or K = ''"), 6);
  EXPECT_EQ(Matching("ID < 11"), (Ids{"5", "6", "7", "8"}));
}

TEST_F(TextComparisonTest, JoinsMatchKeysThatDifferInCaseOrTrailingSpaces) {
  session_.Execute("create table U (K varchar(10), V text)");
  session_.Execute("insert into U values ('ABC', 'v1')");
  session_.Execute("insert into U values ('\xC3\xA9t\xC3\xA9  ', 'v2')");
  session_.Execute("insert into U values (NULL, 'v3')");
  const std::vector<std::string> joins = {
      "select T.ID, U.V from T left join U on T.K = U.K where T.ID <= 12",
      "select T.ID, U.V from T inner join U on U.K = T.K",
      "select T.ID, U.V from T, U where T.K = U.K",
  };
  std::vector<std::string> matched = {"1|v1", "2|v1", "3|v1", "4|v1", "11|v2"};
  std::sort(matched.begin(), matched.end());
  for (const std::string& join : joins) {
    std::vector<std::string> rows;
    for (const std::string& row : testing::SortedRows(session_.Query(join))) {
      if (row.find("<null>") == std::string::npos) rows.push_back(row);
    }
    EXPECT_EQ(rows, matched) << join;
  }
  // The left join keeps the rows that match nothing.
  EXPECT_EQ(session_.Query(joins[0]).rows.size(), 12u);
}

}  // namespace
}  // namespace dt::engine::standin

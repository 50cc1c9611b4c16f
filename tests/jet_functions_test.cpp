// Jet's +, & and cdate as the engine computes them in statements, and the
// date reading behind cdate.
#include "engine/standin/sql/cdate.h"

#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

using testing::ErrorOf;
using testing::OpenEmptyDatabase;
using testing::ScratchDir;

TEST(JetDate, ReadsYearMonthDayTexts) {
  struct Case {
    std::string text;
    std::optional<std::string> date;
  };
  const std::vector<Case> cases = {
      {"2020-1-5", "2020-01-05"},   {"2020-01-05", "2020-01-05"}, {"2020/12/31", "2020-12-31"},
      {"2020-12/31", "2020-12-31"}, {" 2020-1-5 ", "2020-01-05"}, {"2024-2-29", "2024-02-29"},
      {"2000-2-29", "2000-02-29"},  {"29-1-1", std::nullopt},     {"30-1-1", std::nullopt},
      {"99-12-31", std::nullopt},   {"5-6-7", std::nullopt},      {"00-6-7", std::nullopt},
      {"100-1-1", "0100-01-01"},    {"9999-12-31", "9999-12-31"}, {"2023-2-29", std::nullopt},
      {"1900-2-29", std::nullopt},  {"2020-13-13", std::nullopt}, {"2020-0-1", std::nullopt},
      {"2020-4-31", std::nullopt},  {"2020-1-0", std::nullopt},   {"0099-1-1", std::nullopt},
      {"12020-1-1", std::nullopt},  {"2020-001-1", std::nullopt}, {"2020--1", std::nullopt},
      {"2020-1-", std::nullopt},    {"--", std::nullopt},         {"", std::nullopt},
      {"2020.1.5", std::nullopt},   {"2020-1-5x", std::nullopt},  {"2020-1-5 10:00", std::nullopt},
      {"abc", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseJetDate(c.text), c.date) << "'" << c.text << "'";
}

// Spaces and tabs that an export leaves around a part of the date, as in
// a DAY of " 5", are skipped as the Windows conversion skips them; a year
// of two digits is refused wherever it stands (its century is the
// machine's setting).
TEST(JetDate, SkipsWhiteSpaceAroundEachNumber) {
  struct Case {
    std::string text;
    std::optional<std::string> date;
  };
  const std::vector<Case> cases = {
      {"2024-1- 5", "2024-01-05"},
      {"2024- 1-5", "2024-01-05"},
      {"2024 -1 -5", "2024-01-05"},
      {"\t2024\t-\t1\t-\t5\t", "2024-01-05"},
      {"2024-12-31  ", "2024-12-31"},
      {"2024/ 2 /29", "2024-02-29"},
      {"24-1- 5", std::nullopt},  // a year of two digits, as anywhere
      {" 29 - 1 - 1 ", std::nullopt},
      {"30 -1-1", std::nullopt},
      {"2024-1-\r\n5", "2024-01-05"},
      // Space inside a number splits it: four numbers are no date.
      {"2024-1-1 5", std::nullopt},
      {"20 24-1-5", std::nullopt},
      // A part that is only space leaves two numbers.
      {"2024- -5", std::nullopt},
      {"2024-1- ", std::nullopt},
      {" - - ", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseJetDate(c.text), c.date) << "'" << c.text << "'";
}

// Year-month-day first; a text that is no date so read is read in the other
// orders the conversion tries, and only a text that is a date in none of
// them fails.
TEST(JetDate, ReadsTheOtherOrdersWhenYearMonthDayIsNoDate) {
  struct Case {
    std::string text;
    std::optional<std::string> date;
  };
  const std::vector<Case> cases = {
      {"2024-1-5", "2024-01-05"},         // year-month-day
      {"5-1-24", std::nullopt},           // a year of two digits at either end
      {"12-31-2024", "2024-12-31"},       // month-day-year
      {"1-5-2024", "2024-01-05"},         // month-day-year before day-month-year
      {"2020-13-1", "2020-01-13"},        // year-day-month
      {"2024-31-12", "2024-12-31"},       // year-day-month
      {"31-12-2024", "2024-12-31"},       // day-month-year
      {"2024-29-2", "2024-02-29"},        // year-day-month in a leap year
      {"2023-29-2", std::nullopt},        // 29 February in no reading of 2023
      {"29-2-2023", std::nullopt},        // nor here
      {"2024-1-32", std::nullopt},        // 32 January in every reading
      {"2024-2-30", std::nullopt},        // 30 February in every reading
      {"2024-13-13", std::nullopt},       // no month
      {"13-13-13", std::nullopt},         // no month
      {"2024-0-5", std::nullopt},         // no month 0, no day 0
      {"2024-5-0", std::nullopt},         // no day 0, no month 0
      {"2024-2024-1", std::nullopt},      // two years
      {"10000-1-5", std::nullopt},        // beyond the last year
      {"5-1-10000", std::nullopt},        // beyond the last year
      {"99999999999-1-5", std::nullopt},  // far beyond it
  };
  for (const Case& c : cases) EXPECT_EQ(ParseJetDate(c.text), c.date) << "'" << c.text << "'";
}

class JetOperatorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenEmptyDatabase(dir_, session_);
    session_.Execute("create table V (K text, T text, U text, N integer, R double)");
    session_.Execute("insert into V values ('text+text', '12', '3', 2, 0.5)");
    session_.Execute("insert into V values ('null', NULL, 'x', NULL, NULL)");
    session_.Execute("insert into V values ('word', 'ab', 'cd', 4, 1.5)");
    session_.Execute("insert into V values ('spaced', ' 7 ', '', 1, 2)");
  }

  Value One(const std::string& expression, const std::string& key) {
    const Snapshot snapshot =
        session_.Query("select " + expression + " as X from V where K = '" + key + "'");
    return snapshot.rows.at(0).at(0);
  }

  ScratchDir dir_;
  StandInEngine session_;
};

TEST_F(JetOperatorsTest, PlusFollowsJetRules) {
  struct Case {
    std::string expression;
    std::string key;
    Value result;
  };
  const std::vector<Case> cases = {
      {"T + U", "text+text", "123"},  // text + text joins
      {"T + N", "text+text", "14"},   // numeric text + number adds
      {"N + T", "text+text", "14"},      {"N + N", "text+text", "4"},
      {"N + R", "text+text", "2.5"},     {"T + R", "text+text", "12.5"},
      {"T + 1", "spaced", "8"},         // spaces around a number are allowed
      {"T + U", "null", std::nullopt},  // NULL + anything is NULL
      {"U + T", "null", std::nullopt},   {"N + 1", "null", std::nullopt},
      {"T + '-' + U", "word", "ab-cd"},  {"U + T", "spaced", " 7 "},  // empty text joins as empty
      {"1 + 2 * 3", "word", "7"},        {"(1 + 2) * 3", "word", "9"},
      {"'+5' + N", "text+text", "7"},    {"'-2.5e1' + N", "text+text", "-23"},
      {"' .5' + R", "text+text", "1.0"},
  };
  for (const Case& c : cases) EXPECT_EQ(One(c.expression, c.key), c.result) << c.expression;
}

TEST_F(JetOperatorsTest, NonNumericTextPlusNumberIsATypeMismatch) {
  // A zero byte ends no text: "5", a zero byte and "x" is no number.
  const Snapshot rows = session_.Query("select T from V where K = 'word'");
  session_.UpdateRow(rows, 0, {{0, std::string("5\0x", 3)}});
  for (const char* expression :
       {"T + N", "N + T", "U + 1", "'0x10' + 1", "1 + 'inf'", "'nan' + N", "'1e5x' + 1",
        "'+-5' + 1", "'1 2' + 1", "'1e999' + 1", "'.' + 1", "'-' + 1"}) {
    const std::string error = ErrorOf([&] { One(expression, "word"); });
    EXPECT_NE(error.find("Data type mismatch"), std::string::npos) << expression << ": " << error;
  }
  EXPECT_NE(ErrorOf([&] { One("U + 1", "spaced"); }).find("''"), std::string::npos);
}

// Texts of any length join whole, a zero byte inside included; keys of
// text compare without trailing spaces and ASCII letter case, an empty
// text being a key like any other.
TEST_F(JetOperatorsTest, PlusJoinsLongTextsAndTextKeysKeepEmptyText) {
  const std::string long_text(300, 'a');
  const Snapshot rows = session_.Query("select T, U from V where K = 'word'");
  session_.UpdateRow(rows, 0, {{0, long_text}, {1, std::string("b\0c", 3)}});
  EXPECT_EQ(One("T + U", "word"), long_text + std::string("b\0c", 3));
  EXPECT_EQ(One("U + U", "word"), std::string("b\0cb\0c", 6));
  struct Case {
    std::string condition;
    std::string key;
    Value result;
  };
  const std::vector<Case> cases = {
      {"U = ''", "spaced", "1"},    {"U = '  '", "spaced", "1"}, {"T = ' 7'", "spaced", "1"},
      {"T = ' 7 '", "spaced", "1"}, {"T = '7'", "spaced", "0"},  {"U = 'X'", "null", "1"},
      {"T = ''", "null", "0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(One("iif(" + c.condition + ", 1, 0)", c.key), c.result) << c.condition;
  }
}

TEST_F(JetOperatorsTest, AmpersandJoinsWithNullAsEmptyText) {
  struct Case {
    std::string expression;
    std::string key;
    Value result;
  };
  const std::vector<Case> cases = {
      {"T & U", "word", "abcd"},        {"T & N", "text+text", "122"},     {"T & U", "null", "x"},
      {"U & T", "null", "x"},           {"T & N", "null", std::nullopt},    // both sides NULL
      {"T & '-' & U", "word", "ab-cd"}, {"T & 1 + 2", "text+text", "123"},  // + binds tighter than
                                                                            // &
  };
  for (const Case& c : cases) EXPECT_EQ(One(c.expression, c.key), c.result) << c.expression;
}

TEST_F(JetOperatorsTest, LikeTakesJetWildcards) {
  session_.Execute("create table L (S text)");
  for (const char* value :
       {"1.01", "1.1", "10.5", "A-7", "a-7", "[x]", "*", "\xE7\x8E\xB0\xE9\x87\x91"}) {
    session_.Execute(std::string("insert into L values ('") + value + "')");
  }
  session_.Execute("insert into L values (NULL)");
  struct Case {
    std::string where;
    std::vector<std::string> rows;
  };
  const std::vector<Case> cases = {
      {"S like '1*'", {"1.01", "1.1", "10.5"}},
      {"S like '1.?'", {"1.1"}},
      {"S like '##.#'", {"10.5"}},
      {"S like '[A-Z]-#'", {"A-7"}},  // letter case counts
      {"S like '[!A-Z]-#'", {"a-7"}},
      {"S like '[[]*'", {"[x]"}},
      {"S like '[*]'", {"*"}},
      {"S like '?\xE9\x87\x91'", {"\xE7\x8E\xB0\xE9\x87\x91"}},
      {"S not like '*#*'", {"*", "[x]", "\xE7\x8E\xB0\xE9\x87\x91"}},
      {"S like NULL", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(testing::SortedRows(session_.Query("select S from L where " + c.where)), c.rows)
        << c.where;
  }
}

TEST_F(JetOperatorsTest, CdateInStatements) {
  session_.Execute("insert into V (K, T, U) values ('date', '2020', '2')");
  EXPECT_EQ(One("cdate(T + '-' + U + '-' + '29')", "date"), "2020-02-29");
  EXPECT_EQ(One("cdate(T + '/' + U + '/' + '3')", "date"), "2020-02-03");
  EXPECT_EQ(One("cdate(T + '-' + U + '-' + ' 3')", "date"), "2020-02-03");
  // IIf evaluates both branches as Jet may, so only a Null kept from cdate
  // gives no date.
  EXPECT_EQ(One("iif(T is null, null, cdate(iif(T is null, '2000-1-1', T)))", "null"),
            std::nullopt);
  EXPECT_EQ(One("iif(T is null, cdate('2000-1-1'), T)", "date"), "2020");
  struct Bad {
    std::string expression;
    std::string key;
    std::string error;
  };
  const std::vector<Bad> bad = {
      {"cdate(T + '-' + U + '-' + '30')", "date", "Data type mismatch in expression: '2020-2-30'"},
      {"cdate(T)", "date", "Data type mismatch in expression: '2020'"},
      {"cdate(N)", "text+text", "Data type mismatch in expression: '2'"},
      {"cdate(T)", "null", "Invalid use of Null"},
      {"cdate(T + '-' + U)", "null", "Invalid use of Null"},
      {"iif(T is null, null, cdate(T))", "null", "Invalid use of Null"},
      {"iif(T is null, cdate('x'), T)", "date", "'x' is not a date"},
      // Nested deeper than the branches are written twice for.
      {"iif(1, iif(1, iif(1, iif(1, iif(1, T, cdate(T)), 1), 1), 1), 1)", "null",
       "Invalid use of Null"},
      {"iif(1, iif(1, iif(1, T, cdate(T)), 1), 1)", "null", "Invalid use of Null"},
  };
  for (const Bad& b : bad) {
    const std::string error = ErrorOf([&] { One(b.expression, b.key); });
    EXPECT_NE(error.find(b.error), std::string::npos) << b.expression << ": " << error;
  }
}

}  // namespace
}  // namespace dt::engine::standin

// Jet's operator precedence and associativity, seen in the values the
// engine computes: each expression is run beside the grouping a wrong
// precedence would give, which must compute something else.
#include <gtest/gtest.h>

#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

class ParseExpressionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::OpenEmptyDatabase(dir_, session_);
    session_.Execute("create table One (N integer)");
    session_.Execute("insert into One values (1)");
  }

  // The value of `expression` over the one row, or "error: <message>".
  std::string ValueOf(const std::string& expression) {
    try {
      const Snapshot snapshot = session_.Query("select " + expression + " as X from One");
      const Value& value = snapshot.rows.at(0).at(0);
      return value ? *value : "NULL";
    } catch (const Error& error) {
      return std::string("error: ") + error.what();
    }
  }

  testing::ScratchDir dir_;
  StandInEngine session_;
};

TEST_F(ParseExpressionTest, OperatorsGroupByPrecedenceAndAssociativity) {
  struct Case {
    std::string expression;
    std::string value;
    std::string other_grouping;  // what a wrong table would make of it
  };
  const std::vector<Case> cases = {
      // Operators of one level associate left to right.
      {"1 - 2 - 3", "-4", "1 - (2 - 3)"},
      {"8 / 4 / 2", "1.0", "8 / (4 / 2)"},
      {"12 / 2 * 3", "18.0", "12 / (2 * 3)"},
      {"21 MOD 8 MOD 3", "2", "21 MOD (8 MOD 3)"},
      {"1 - 2 + 3", "2", "1 - (2 + 3)"},
      // * / above MOD above + - above &.
      {"7 MOD 4 * 2", "7", "(7 MOD 4) * 2"},
      {"2 * 3 MOD 4", "2", "2 * (3 MOD 4)"},
      {"1 + 7 MOD 4", "4", "(1 + 7) MOD 4"},
      {"9 MOD 4 + 1", "2", "9 MOD (4 + 1)"},
      {"'a' & 1 + 2", "a3", "('a' & 1) + 2"},
      {"1 + 2 & 3", "33", "1 + (2 & 3)"},
      // Signs bind tightest.
      {"-1 + 2", "1", "-(1 + 2)"},
      {"2 * -3 + 7", "1", "2 * -(3 + 7)"},
      // Comparisons below &, and the word comparisons with them.
      {"'x' & 1 = 'x1'", "1", "'x' & (1 = 'x1')"},
      {"1 + 1 < 3", "1", "1 + (1 < 3)"},
      {"2 + 3 BETWEEN 4 AND 6", "1", "2 + (3 BETWEEN 4 AND 6)"},
      {"5 BETWEEN 0 AND 2 + 3", "1", "(5 BETWEEN 0 AND 2) + 3"},
      {"'a' & 'b' LIKE 'ab'", "1", "'a' & ('b' LIKE 'ab')"},
      {"2 + 1 IN (3)", "1", "2 + (1 IN (3))"},
      {"NULL + 1 IS NULL", "1", "NULL + (1 IS NULL)"},
      {"1 & NULL IS NOT NULL", "1", "1 & (NULL IS NOT NULL)"},
      // NOT takes a whole comparison, and no more.
      {"NOT 1 = 2", "1", "(NOT 1) = 2"},
      {"NOT 1 IN (2)", "1", "(NOT 1) IN (2)"},
      {"NOT 2 BETWEEN 3 AND 4", "1", "(NOT 2) BETWEEN 3 AND 4"},
      {"NOT 1 = 1 OR 1 = 1", "1", "NOT (1 = 1 OR 1 = 1)"},
      {"NOT 1 = 1 AND 1 = 0", "0", "NOT (1 = 1 AND 1 = 0)"},
      {"NOT NOT 1 = 2", "0", "NOT ((NOT 1) = 2)"},
      {"1 NOT IN (2) AND 1 = 0", "0", "NOT (1 IN (2) AND 1 = 0)"},
      // AND above OR.
      {"1 = 1 OR 1 = 1 AND 1 = 0", "1", "(1 = 1 OR 1 = 1) AND 1 = 0"},
      {"1 = 0 AND 1 = 0 OR 1 = 1", "1", "1 = 0 AND (1 = 0 OR 1 = 1)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValueOf(c.expression), c.value) << c.expression;
    EXPECT_NE(ValueOf(c.other_grouping), c.value) << c.other_grouping << " cannot tell";
  }
}

}  // namespace
}  // namespace dt::engine::standin

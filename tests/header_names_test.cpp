// Tests of the header naming both engines share: the suffix chosen for a repeated
// name is the smallest free one, also when suffixed names stand in the
// header themselves.
#include "engine/header_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace dt::engine {
namespace {

using Names = std::vector<std::string>;

TEST(HeaderNamesTest, RepeatsTakeTheSmallestFreeSuffix) {
  struct Case {
    Names fields;
    Names names;
  };
  const std::vector<Case> cases = {
      {{"A", "A", "A1"}, {"A", "A1", "A11"}},
      {{"X", "X", "X2", "X"}, {"X", "X1", "X2", "X3"}},
      {{"X", "X", "X1", "X"}, {"X", "X1", "X11", "X2"}},
      {{"a", "A", "a1"}, {"a", "A1", "a11"}},
      {{"F2", "", "F2"}, {"F2", "F21", "F22"}},
      {{" N ", "N", "\tn\t"}, {"N", "N1", "n2"}},
      {{"", " ", "\t"}, {"F1", "F2", "F3"}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HeaderNames(c.fields), c.names) << ::testing::PrintToString(c.fields);
  }
}

// Names the host's engine takes, written the same into schema.ini and the
// stand-in's table.
TEST(HeaderNamesTest, NamesKeepToWhatTheHostEngineTakes) {
  const std::string a64(64, 'A');
  struct Case {
    Names fields;
    Names names;
  };
  const std::vector<Case> cases = {
      {{"a.b", "x!y", "[k]", "t`q", "a\tb", "two\r\nlines"},
       {"a_b", "x_y", "_k_", "t_q", "a_b1", "two__lines"}},
      {{a64 + "BC", a64 + "DE", a64}, {a64, a64.substr(0, 63) + "1", a64.substr(0, 63) + "2"}},
      {{"x\xF0\x9F\x98\x80", "x\xF0\x9F\x98\x83", "x?"}, {"x_", "x_1", "x?"}},
      {{"\xE7\xA7\x91\xE7\x9B\xAE", "\xE7\xA7\x91\xE7\x9B\xAE"},
       {"\xE7\xA7\x91\xE7\x9B\xAE",
        "\xE7\xA7\x91\xE7\x9B\xAE"
        "1"}},
      {{std::string(70, '.')}, {std::string(64, '_')}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HeaderNames(c.fields), c.names) << ::testing::PrintToString(c.fields);
  }
}

TEST(HeaderNamesTest, ThousandsOfRepeatsAreAllDistinct) {
  const Names names = HeaderNames(Names(5000, "COL"));
  ASSERT_EQ(names.size(), 5000u);
  EXPECT_EQ(names.front(), "COL");
  EXPECT_EQ(names[1], "COL1");
  EXPECT_EQ(names.back(), "COL4999");
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
}

}  // namespace
}  // namespace dt::engine

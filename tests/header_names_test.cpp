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

// The progress operation: capping at the total, unsigned comparison,
// rounding, and redrawing only when the shown percent changes.
#include "src/entry/progress.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace dt {
namespace {

struct AdvanceCase {
  const char* name;
  int total;
  int start_parts;
  int start_percent;
  int advance;
  int parts;
  int percent;
  int repaints;
};

class AdvanceTest : public ::testing::TestWithParam<AdvanceCase> {};

TEST_P(AdvanceTest, MovesTheBarAsTheBarDoes) {
  const AdvanceCase& c = GetParam();
  platform::ProgressBar bar;
  bar.TotalParts = c.total;
  bar.PartsComplete = c.start_parts;
  bar.Percent = c.start_percent;
  AdvanceProgress(bar, c.advance);
  EXPECT_EQ(bar.PartsComplete, c.parts);
  EXPECT_EQ(bar.Percent, c.percent);
  EXPECT_EQ(bar.paint_count, c.repaints);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdvanceTest,
    ::testing::Values(AdvanceCase{"from_zero", 100, 0, 0, 10, 10, 10, 1},
                      AdvanceCase{"capped_at_total", 100, 95, 95, 10, 100, 100, 1},
                      AdvanceCase{"at_total_nothing_redrawn", 100, 100, 100, 10, 100, 100, 0},
                      AdvanceCase{"zero_parts_nothing", 100, 40, 40, 0, 40, 40, 0},
                      // A negative sum is a huge unsigned number: capped like an overflow.
                      AdvanceCase{"negative_sum_capped", 100, 5, 5, -10, 100, 100, 1},
                      AdvanceCase{"going_back_allowed", 100, 50, 50, -20, 30, 30, 1},
                      // The 32-bit sum wraps to a negative number, then is capped.
                      AdvanceCase{"wrapping_sum_capped", 100, 50, 50, INT_MAX, 100, 100, 1},
                      AdvanceCase{"zero_total_keeps_percent", 0, 0, 0, 10, 0, 0, 0},
                      AdvanceCase{"rounds_down", 3, 0, 0, 1, 1, 33, 1},
                      AdvanceCase{"rounds_up", 3, 1, 33, 1, 2, 67, 1},
                      AdvanceCase{"half_rounds_up", 8, 0, 0, 1, 1, 13, 1},
                      AdvanceCase{"same_percent_no_redraw", 1000, 10, 1, 1, 11, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressTest, TheBuildsAdvancesOverSevenFilesEndAtOneHundred) {
  platform::ProgressBar bar;
  std::vector<int> drawn;
  bar.OnPaint = [&drawn](const platform::ProgressBar& b) { drawn.push_back(b.Percent); };
  for (int file = 0; file < 7; ++file) AdvanceProgress(bar, 10);
  AdvanceProgress(bar, 20);
  AdvanceProgress(bar, 10);
  AdvanceProgress(bar, 10);
  EXPECT_EQ(bar.PartsComplete, 100);
  EXPECT_EQ(bar.Percent, 100);
  EXPECT_EQ(drawn, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 90, 100}));
}

}  // namespace
}  // namespace dt

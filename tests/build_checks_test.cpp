// The checks before the build's work, on their own: the table each source
// file would be imported as, read as the engine reads its import statement,
// which the check of the template's tables is then given.
#include "src/workdb/build_checks.h"

#include <gtest/gtest.h>

#include "src/workdb/work_paths.h"
#include "tests/build_test_util.h"

namespace dt {
namespace {

TEST(BuildChecksTest, SourceTablesAreTheTablesTheImportsMakeInTheirOrder) {
  testing::BaseDir base;
  const WorkPaths paths = MakeWorkPaths(base.Base());
  const std::string folder = base.Base() + "export" + platform::PathDelim;
  // A name the engine cannot read as a statement (a space in it) keeps the
  // file's name less its extension: its import fails later, and is logged.
  const std::vector<std::string> sources = {folder + "BOOK.TXT", folder + "my book.txt",
                                            folder + "Item.txt", folder + "book2.TXT"};
  EXPECT_EQ(CheckSourceTables(paths, sources),
            (std::vector<std::string>{"BOOK", "my book", "Item", "book2"}));
  EXPECT_TRUE(CheckSourceTables(paths, {}).empty());
}

}  // namespace
}  // namespace dt

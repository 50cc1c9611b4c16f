// Removing the temporaries a killed writer left: exactly the files named as
// this platform's writers name their temporaries, nothing else.
#include "platform/leftover_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/leftover_temporary.h"
#include "tests/staging_temp_dir.h"

namespace dt::platform {
namespace {

using testing::EntryNames;
using testing::LeaveTemporaryOf;
using testing::TempDir;
using testing::WriteBytes;

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST(LeftoverTemporariesTest, RemovesWhatKilledWritersLeftAndNothingElse) {
  TempDir dir;
  // Names close to a temporary's, and the files a run keeps.
  const std::vector<std::string> others = {
      "BOOK.TXT",      "KORVA.mdb", "dealtext.lock", "BOOK.TXT.~", "BOOK.TXT.~12",  "BOOK.TXT.~x.1",
      "BOOK.TXT.~1.x", "~dt.tmp",   "~dt1.tmp",      "~dtx.1.tmp", "~dt1.2.tmp.txt"};
  for (const std::string& name : others) WriteBytes(dir / name, "keep");
  const std::string staged = LeaveTemporaryOf(dir.path(), "BOOK.TXT");
  const std::string database = LeaveTemporaryOf(dir.path(), "KORVA.mdb");
  ASSERT_NE(staged, database);

  EXPECT_EQ(RemoveLeftoverTemporaries(dir.path()), 2);
  EXPECT_EQ(Sorted(EntryNames(dir.path())), Sorted(others));
  EXPECT_EQ(testing::ReadBytes(dir / "BOOK.TXT"), "keep");
  EXPECT_EQ(RemoveLeftoverTemporaries(dir.path()), 0) << "nothing left to remove";
}

TEST(LeftoverTemporariesTest, AFolderThatIsNotThereIsLeftAlone) {
  TempDir dir;
  EXPECT_EQ(RemoveLeftoverTemporaries(dir / "missing"), 0);
}

}  // namespace
}  // namespace dt::platform

// Flushing a finished file to disk: a file that is there is flushed, and a
// failure is reported with the OS's error, never passed over.
#include "platform/file_sync.h"

#include <gtest/gtest.h>

#include "tests/staging_temp_dir.h"

namespace dt::platform {
namespace {

using testing::TempDir;

TEST(SyncToDiskTest, FlushesAFileAndReportsWhatFails) {
  TempDir dir;
  testing::WriteBytes(dir / "work.mdb", "data");
  int error = -1;
  EXPECT_TRUE(SyncToDisk(dir / "work.mdb", &error));
  EXPECT_EQ(error, 0);
  EXPECT_EQ(testing::ReadBytes(dir / "work.mdb"), "data");

  EXPECT_FALSE(SyncToDisk(dir / "gone.mdb", &error));
  EXPECT_NE(error, 0);
  EXPECT_FALSE(SyncToDisk(dir / "no/such/folder/work.mdb", nullptr));
}

}  // namespace
}  // namespace dt::platform

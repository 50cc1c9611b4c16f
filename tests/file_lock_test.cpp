// The exclusive file lock: one holder at a time, whichever object or
// process asks; released by Unlock, by the holder's end, and never by
// removing the file.
#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "tests/staging_temp_dir.h"

namespace dt::platform {
namespace {

using Result = FileLock::Result;
using testing::TempDir;

TEST(FileLockTest, OneHolderAtATime) {
  TempDir dir;
  const std::string path = dir / "run.lock";
  FileLock first;
  ASSERT_EQ(first.TryLock(path), Result::kLocked);
  EXPECT_TRUE(first.Locked());
  EXPECT_TRUE(FileExists(path)) << "made when missing";

  FileLock second;
  EXPECT_EQ(second.TryLock(path), Result::kBusy);
  EXPECT_FALSE(second.Locked());
  EXPECT_EQ(second.TryLock(path), Result::kBusy) << "asking again does not wait or take it";

  first.Unlock();
  EXPECT_FALSE(first.Locked());
  EXPECT_EQ(second.TryLock(path), Result::kLocked);
  EXPECT_EQ(first.TryLock(path), Result::kBusy);
  EXPECT_TRUE(FileExists(path)) << "the file stays for the next holder";
}

TEST(FileLockTest, TheHoldersEndReleasesIt) {
  TempDir dir;
  const std::string path = dir / "run.lock";
  {
    FileLock held;
    ASSERT_EQ(held.TryLock(path), Result::kLocked);
  }
  FileLock next;
  EXPECT_EQ(next.TryLock(path), Result::kLocked);
  // Taking another file lets go of the first one.
  EXPECT_EQ(next.TryLock(dir / "other.lock"), Result::kLocked);
  FileLock again;
  EXPECT_EQ(again.TryLock(path), Result::kLocked);
}

TEST(FileLockTest, AFileThatCannotBeMadeFailsWithTheOsError) {
  TempDir dir;
  FileLock lock;
  EXPECT_EQ(lock.TryLock(dir / "missing/run.lock"), Result::kFailed);
  EXPECT_NE(lock.error(), 0);
  EXPECT_FALSE(lock.Locked());
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

}  // namespace
}  // namespace dt::platform

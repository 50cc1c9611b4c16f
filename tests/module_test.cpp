// Loaded libraries: the running program's folder, and a library that cannot
// be loaded.
#include "platform/module.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/errors.h"
#include "tests/staging_temp_dir.h"

namespace dt::platform {
namespace {

using testing::TempDir;

TEST(ExecutableDirectoryTest, IsTheFolderHoldingTheRunningProgram) {
  const std::string directory = ExecutableDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_TRUE(std::filesystem::is_directory(platform::PathOf(directory)));
  const char last = directory.back();
  EXPECT_TRUE(directory.size() <= 3 || (last != '/' && last != '\\')) << directory;
  EXPECT_TRUE(std::filesystem::exists(platform::PathOf(directory) / DEALTEXT_TEST_PROGRAM))
      << directory;
}

TEST(LoadedLibraryTest, ALibraryThatCannotBeLoadedRaisesTheLoadersMessage) {
  TempDir dir;
  const std::string path = dir / "no-such-library.dll";
  try {
    LoadedLibrary library(path);
    FAIL() << "loaded";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find("no-such-library"), std::string::npos) << e.Message();
  }
}

}  // namespace
}  // namespace dt::platform

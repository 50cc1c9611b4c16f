// Paths: ANSI to file-system names, fixed names found ignoring letter case,
// and absolute paths against the current directory.
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/staging_temp_dir.h"

namespace dt::platform {
namespace {

using testing::TempDir;

TEST(NativePathTest, ConvertsAnsiToUtf8) {
  EXPECT_EQ(NativePath("/data/BOOK.TXT"), "/data/BOOK.TXT");
  EXPECT_EQ(NativePath("/\xD5\xCB/a.txt"), "/\xE8\xB4\xA6/a.txt");
}

TEST(ResolveChildTest, FindsTheEntryIgnoringCase) {
  TempDir dir;
  std::filesystem::create_directory(dir / "templatetemp");
  std::filesystem::create_directory(dir /
                                    "\xE8\xB4\xA6"
                                    "Data");
  const std::string base = dir.path() + "/";
  EXPECT_EQ(ResolveChild(base, "TemplateTemp"), "templatetemp");
  EXPECT_EQ(ResolveChild(dir.path(), "TEMPLATETEMP"), "templatetemp");
  EXPECT_EQ(ResolveChild(base,
                         "\xD5\xCB"
                         "data"),
            "\xD5\xCB"
            "Data");                                      // given back as ANSI
  EXPECT_EQ(ResolveChild(base, "DataBase"), "DataBase");  // none: the name itself
  EXPECT_EQ(ResolveChild(dir / "missing", "x"), "x");
  EXPECT_EQ(ResolveChild(base, "templatetem"), "templatetem");  // whole names only
}

TEST(ResolveChildTest, PrefersTheExactMatch) {
  TempDir dir;
  for (const char* name : {"DATABASE", "DataBase", "database"}) {
    std::filesystem::create_directory(dir / name);
  }
  EXPECT_EQ(ResolveChild(dir.path(), "DataBase"), "DataBase");
  EXPECT_EQ(ResolveChild(dir.path(), "database"), "database");
  const std::string other = ResolveChild(dir.path(), "Database");
  EXPECT_TRUE(other == "DATABASE" || other == "DataBase" || other == "database") << other;
}

TEST(AbsolutePathTest, MakesPathsAbsoluteAndClean) {
  TempDir dir;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const std::string cwd = std::filesystem::current_path().string();
  struct Case {
    std::string path;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"a.txt", cwd + "/a.txt"},
      {"./a.txt", cwd + "/a.txt"},
      {"sub/../a.txt", cwd + "/a.txt"},
      {"/data//TemplateTemp/BOOK.TXT", "/data/TemplateTemp/BOOK.TXT"},
      {"/data/./x/../y/", "/data/y/"},
      {"/../..", "/"},
      {"/", "/"},
      {"", cwd + "/"},
  };
  std::vector<std::string> got;
  for (const Case& c : cases) got.push_back(AbsolutePath(c.path));
  std::filesystem::current_path(previous);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(got[i], cases[i].expected) << cases[i].path;
  }
}

}  // namespace
}  // namespace dt::platform

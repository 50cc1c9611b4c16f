// Paths: ANSI to file-system names, fixed names found ignoring letter case,
// and absolute paths against the current directory.
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "tests/staging_temp_dir.h"

namespace dt::platform {
namespace {

using testing::EntryNames;
using testing::Native;
using testing::TempDir;

TEST(NativePathTest, ConvertsAnsiToUtf8) {
#ifdef _WIN32
  // The wide file functions convert; the path stays ANSI until then.
  EXPECT_EQ(NativePath("C:\\\xD5\xCB\\a.txt"), "C:\\\xD5\xCB\\a.txt");
#else
  EXPECT_EQ(NativePath("/data/BOOK.TXT"), "/data/BOOK.TXT");
  EXPECT_EQ(NativePath("/\xD5\xCB/a.txt"), "/\xE8\xB4\xA6/a.txt");
#endif
}

TEST(ResolveChildTest, FindsTheEntryIgnoringCase) {
  TempDir dir;
  std::filesystem::create_directory(dir / "templatetemp");
  std::filesystem::create_directory(platform::PathOf(dir / "\xE8\xB4\xA6"
                                                           "Data"));
  const std::string base = dir.path() + PathDelim;
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

// The last character of this folder's name is 0x81 0x5C, whose trail byte
// is '\\': it is no delimiter, so the child's name needs one before it.
TEST(ResolveChildTest, FolderWhoseNameEndsInATrailByteLikeADelimiter) {
  TempDir dir;
  const std::string folder = dir / "a\x81\x5C";
  std::filesystem::create_directories(platform::PathOf(AnsiToUtf8(folder)) / "TemplateTemp");
  EXPECT_EQ(ResolveChild(folder, "templatetemp"), "TemplateTemp");
  EXPECT_EQ(ResolveChild(folder + PathDelim, "templatetemp"), "TemplateTemp");
}

TEST(ResolveChildTest, PrefersTheExactMatch) {
  TempDir dir;
  for (const char* name : {"DATABASE", "DataBase", "database"}) {
    std::filesystem::create_directory(dir / name);
  }
#ifdef _WIN32
  // The file system ignores case: the three are one folder, spelled as made.
  ASSERT_EQ(EntryNames(dir.path()), std::vector<std::string>{"DATABASE"});
  for (const char* name : {"DATABASE", "DataBase", "database", "Database"}) {
    EXPECT_EQ(ResolveChild(dir.path(), name), "DATABASE") << name;
  }
  return;
#endif
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
  // A path from the root stays on the current drive where there are drives.
  const std::string drive = cwd.size() >= 2 && cwd[1] == ':' ? cwd.substr(0, 2) : "";
  struct Case {
    std::string path;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"a.txt", cwd + "/a.txt"},
      {"./a.txt", cwd + "/a.txt"},
      {"sub/../a.txt", cwd + "/a.txt"},
      {"/data//TemplateTemp/BOOK.TXT", drive + "/data/TemplateTemp/BOOK.TXT"},
      {"/data/./x/../y/", drive + "/data/y/"},
      {"/../..", drive + "/"},
      {"/", drive + "/"},
      {"", cwd + "/"},
  };
  std::vector<std::string> got;
  for (const Case& c : cases) got.push_back(AbsolutePath(Native(c.path)));
  std::filesystem::current_path(previous);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(got[i], Native(cases[i].expected)) << cases[i].path;
  }
}

}  // namespace
}  // namespace dt::platform

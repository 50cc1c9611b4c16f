// Source discovery and the wildcard search under it: what is listed, what
// is skipped, the order, and how often the after-entry hook runs.
#include "src/staging/discovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/file_search.h"
#include "tests/staging_temp_dir.h"

namespace dt {
namespace {

using testing::EntryNames;
using testing::TempDir;
using testing::WriteBytes;

struct Discovered {
  std::vector<std::string> list;
  int hook_calls = 0;
};

Discovered Discover(const std::string& directory_text) {
  Discovered d;
  DiscoverSources(directory_text, d.list, [&d] { ++d.hook_calls; });
  return d;
}

// The names among `names` that the search matches, in the given order.
std::vector<std::string> Matching(const std::vector<std::string>& names) {
  std::vector<std::string> matching;
  for (const std::string& name : names) {
    if (platform::WildcardMatch("*.txt", name)) matching.push_back(name);
  }
  return matching;
}

TEST(WildcardMatchTest, MatchesIgnoringCase) {
  struct Case {
    const char* wildcard;
    const char* name;
    bool match;
  };
  const std::vector<Case> cases = {
      {"*.txt", "BOOK.TXT", true},     {"*.txt", "book.txt", true},  {"*.txt", "a.TxT", true},
      {"*.txt", ".txt", true},         {"*.txt", "a.txt.txt", true}, {"*.txt", "a.txt1", false},
      {"*.txt", "a.tx", false},        {"*.txt", "atxt", false},     {"*.txt", "a.txt.bak", false},
      {"?.txt", "a.txt", true},        {"?.txt", "ab.txt", false},   {"*", "", true},
      {"a*b*c", "aXbYbc", true},       {"a*b*c", "aXbYbd", false},   {"", "", true},
      {"*.txt", "\xD5\xCB.txt", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::WildcardMatch(c.wildcard, c.name), c.match) << c.wildcard << " " << c.name;
  }
}

TEST(DiscoveryTest, ListsTextFilesAndSkipsFolders) {
  TempDir dir;
  for (const char* name :
       {"BOOK.TXT", "item.txt", ".hidden.txt", "other.TxT", "notes.csv", "a.txt1", "readme"}) {
    WriteBytes(dir / name, "x\r\n");
  }
  std::filesystem::create_directory(dir / "folder.txt");
  std::filesystem::create_directory(dir / "real");
  std::filesystem::create_directory_symlink(dir / "real", dir / "linked.txt");
  std::filesystem::create_symlink(dir / "BOOK.TXT", dir / "alias.txt");

  const std::string text = dir.path() + "/";
  const Discovered d = Discover(text);

  // Expected: every matching name in the file system's order, minus the
  // folder and the link to a folder.
  std::vector<std::string> expected;
  for (const std::string& name : Matching(EntryNames(dir.path()))) {
    if (name != "folder.txt" && name != "linked.txt") expected.push_back(text + name);
  }
  EXPECT_EQ(d.list, expected);
  std::vector<std::string> sorted = d.list;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted,
            (std::vector<std::string>{text + ".hidden.txt", text + "BOOK.TXT", text + "alias.txt",
                                      text + "item.txt", text + "other.TxT"}));
  // Seven entries match (the two folders included): the hook runs after
  // each one but the first.
  EXPECT_EQ(d.hook_calls, 6);
}

TEST(DiscoveryTest, HookRunsOnceLessThanTheMatchesAndNeverForNone) {
  for (int files = 0; files <= 3; ++files) {
    TempDir dir;
    for (int i = 0; i < files; ++i) WriteBytes(dir / ("f" + std::to_string(i) + ".txt"), "");
    WriteBytes(dir / "skip.dat", "");
    const Discovered d = Discover(dir.path() + "/");
    EXPECT_EQ(static_cast<int>(d.list.size()), files);
    EXPECT_EQ(d.hook_calls, std::max(0, files - 1)) << files;
  }
}

TEST(DiscoveryTest, MissingOrEmptyDirectoryGivesNothing) {
  TempDir dir;
  Discovered d = Discover(dir.path() + "/");
  EXPECT_TRUE(d.list.empty());
  EXPECT_EQ(d.hook_calls, 0);
  d = Discover(dir / "missing/");
  EXPECT_TRUE(d.list.empty());
  EXPECT_EQ(d.hook_calls, 0);
}

TEST(DiscoveryTest, KeepsTheDirectoryTextAsPassedAndAppends) {
  TempDir dir;
  std::filesystem::create_directory(dir / "src");
  WriteBytes(dir / "src/BOOK.TXT", "");
  std::vector<std::string> list = {"earlier"};
  DiscoverSources(dir / "src//", list, nullptr);  // an empty hook is allowed
  EXPECT_EQ(list, (std::vector<std::string>{"earlier", dir / "src//BOOK.TXT"}));
}

TEST(DiscoveryTest, GivesChineseNamesInTheAnsiCodePage) {
  TempDir dir;
  WriteBytes(dir / "\xE8\xB4\xA6.txt", "");  // "账" in UTF-8
  const Discovered d = Discover(dir.path() + "/");
  EXPECT_EQ(d.list, std::vector<std::string>{dir / "\xD5\xCB.txt"});
}

TEST(DiscoveryTest, PropagatesWhatTheHookRaises) {
  TempDir dir;
  WriteBytes(dir / "a.txt", "");
  WriteBytes(dir / "b.txt", "");
  std::vector<std::string> list;
  EXPECT_THROW(DiscoverSources(dir.path() + "/", list, [] { throw std::runtime_error("stop"); }),
               std::runtime_error);
  EXPECT_EQ(list.size(), 2u);  // the entry before the hook was appended
}

}  // namespace
}  // namespace dt

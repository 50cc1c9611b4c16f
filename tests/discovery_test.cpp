// Source discovery and the wildcard search under it: what is listed, what
// is skipped, the order, and how often the after-entry hook runs.
#include "src/staging/discovery.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/file_search.h"
#include "platform/files.h"
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
#ifdef _WIN32
  // Symbolic links need a privilege there; a hard link is a second name too.
  std::filesystem::create_hard_link(dir / "BOOK.TXT", dir / "alias.txt");
  const int matches = 6;
#else
  std::filesystem::create_directory_symlink(dir / "real", dir / "linked.txt");
  std::filesystem::create_symlink(dir / "BOOK.TXT", dir / "alias.txt");
  const int matches = 7;
#endif

  const std::string text = dir.path() + platform::PathDelim;
  Discovered d = Discover(text);
#ifdef _WIN32
  // Where the file system keeps 8.3 names, a.txt1's ends in .TXT and matches.
  const auto short_name_match = std::find(d.list.begin(), d.list.end(), text + "a.txt1");
  if (short_name_match != d.list.end()) {
    d.list.erase(short_name_match);
    --d.hook_calls;
  }
#endif

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
  // Seven entries match on POSIX (the two folders included): the hook runs
  // after each one but the first.
  EXPECT_EQ(d.hook_calls, matches - 1);
}

TEST(DiscoveryTest, HookRunsOnceLessThanTheMatchesAndNeverForNone) {
  for (int files = 0; files <= 3; ++files) {
    TempDir dir;
    for (int i = 0; i < files; ++i) WriteBytes(dir / ("f" + std::to_string(i) + ".txt"), "");
    WriteBytes(dir / "skip.dat", "");
    const Discovered d = Discover(dir.path() + platform::PathDelim);
    EXPECT_EQ(static_cast<int>(d.list.size()), files);
    EXPECT_EQ(d.hook_calls, std::max(0, files - 1)) << files;
  }
}

TEST(DiscoveryTest, MissingOrEmptyDirectoryGivesNothing) {
  TempDir dir;
  Discovered d = Discover(dir.path() + platform::PathDelim);
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
  const Discovered d = Discover(dir.path() + platform::PathDelim);
  EXPECT_EQ(d.list, std::vector<std::string>{dir / "\xD5\xCB.txt"});
}

TEST(DiscoveryTest, PropagatesWhatTheHookRaises) {
  TempDir dir;
  WriteBytes(dir / "a.txt", "");
  WriteBytes(dir / "b.txt", "");
  std::vector<std::string> list;
  EXPECT_THROW(DiscoverSources(dir.path() + platform::PathDelim, list,
                               [] { throw std::runtime_error("stop"); }),
               std::runtime_error);
  EXPECT_EQ(list.size(), 2u);  // the entry before the hook was appended
}

TEST(DiscoveryTest, ANameTheCodePageLacksIsSkippedWithALogLine) {
  TempDir dir;
  WriteBytes(dir / "BOOK.TXT", "");
  // U+1F600 has no code page 936 form; a folder of such a name is no file.
  std::ofstream(std::filesystem::path(dir.path()) / u8"\U0001F600.txt") << "x";
  std::filesystem::create_directory(std::filesystem::path(dir.path()) / u8"\U0001F600dir.txt");
  const std::string text = dir.path() + platform::PathDelim;
  std::vector<std::string> list;
  std::vector<std::string> logs;
  int hook_calls = 0;
  DiscoverSources(
      text, list, [&hook_calls] { ++hook_calls; },
      [&logs](const std::string& message) { logs.push_back(message); });
  EXPECT_EQ(list, std::vector<std::string>{text + "BOOK.TXT"});
  EXPECT_EQ(logs, std::vector<std::string>{"Skipped \"" + text +
                                           "\\xF0\\x9F\\x98\\x80.txt\": its name holds a "
                                           "character that code page 936 lacks"});
  EXPECT_EQ(hook_calls, 2) << "the skipped entries count as entries";
}

#ifndef _WIN32
TEST(DiscoveryTest, ANameThatIsNotUtf8IsTakenAsCodePageBytes) {
  TempDir dir;
  // "账" in code page 936, as an archive made on Windows unpacks it here.
  WriteBytes(dir.path() + "/\xD5\xCB.txt", "bytes");
  std::vector<std::string> list;
  DiscoverSources(dir.path() + "/", list, nullptr);
  ASSERT_EQ(list, std::vector<std::string>{dir.path() + "/\xD5\xCB.txt"});
  // The listed path leads back to the file.
  platform::InputFile listed;
  ASSERT_TRUE(listed.Open(list[0]));
  char bytes[8];
  std::size_t count = 0;
  ASSERT_TRUE(listed.Read(bytes, sizeof bytes, &count));
  EXPECT_EQ(std::string(bytes, count), "bytes");
}

TEST(DiscoveryTest, AFolderThatCannotBeOpenedRaisesNamingIt) {
  TempDir dir;
  WriteBytes(dir / "BOOK.TXT", "");
  const std::string text = dir.path() + "/";
  // The conversions set themselves up once; do it while files can be opened.
  EXPECT_EQ(platform::AnsiToUtf8(platform::Utf8ToAnsi(text)), text);
  // Every descriptor taken: the folder is there but cannot be opened.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  const int next = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(next, 0);
  ::close(next);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(next);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  std::vector<std::string> list;
  std::exception_ptr failure;
  try {
    DiscoverSources(text, list, nullptr);
  } catch (...) {
    failure = std::current_exception();
  }
  // Looked at only once files can be opened again (the sanitizer's checks
  // open files too).
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  std::string message = "no error";
  try {
    if (failure) std::rethrow_exception(failure);
  } catch (const EFOpenError& e) {
    message = e.Message();
  }
  EXPECT_EQ(message, "Cannot read folder \"" + text + "\". " + platform::SystemErrorText(EMFILE));
  EXPECT_TRUE(list.empty());
}
#endif

}  // namespace
}  // namespace dt

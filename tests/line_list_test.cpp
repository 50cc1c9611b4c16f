// The line list: indexed operations and their errors, the line-splitting
// rule, and load and save with their file errors.
#include "src/staging/line_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"
#include "tests/staging_temp_dir.h"

namespace dt {
namespace {

using namespace std::string_literals;
using platform::SystemErrorText;
using testing::Native;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::vector<std::string> Lines(const LineList& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
  return lines;
}

// The message of the EStringListError `action` raises, or "" when none.
template <typename Action>
std::string IndexError(Action action) {
  try {
    action();
  } catch (const EStringListError& e) {
    return e.Message();
  }
  return "";
}

struct SplitCase {
  const char* name;
  std::string text;
  std::vector<std::string> lines;
};

TEST(LineListTest, SetTextSplitsLines) {
  const std::vector<SplitCase> cases = {
      {"CR LF", "a\r\nb", {"a", "b"}},
      {"lone CR", "a\rb", {"a", "b"}},
      {"lone LF", "a\nb", {"a", "b"}},
      {"LF CR is two line ends", "a\n\rb", {"a", "", "b"}},
      {"CR CR", "a\r\rb", {"a", "", "b"}},
      {"final CR LF adds no line", "a\r\nb\r\n", {"a", "b"}},
      {"final lone CR adds no line", "a\r", {"a"}},
      {"no final line end", "a\r\nb", {"a", "b"}},
      {"empty text", "", {}},
      {"only a line end", "\r\n", {""}},
      {"empty lines kept", "\n\n", {"", ""}},
      {"zero byte in line three", "one\r\ntwo\r\nth\0ree\r\nfour"s, {"one", "two", "th"}},
      {"zero byte first", "\0abc"s, {}},
      {"zero byte after a line end", "a\r\n\0b"s, {"a"}},
      {"byte-order mark stays in line 0", "\xEF\xBB\xBFx\r\ny", {"\xEF\xBB\xBFx", "y"}},
      {"high bytes untouched", "\xD6\xD0,\xCE\xC4\n", {"\xD6\xD0,\xCE\xC4"}},
  };
  for (const SplitCase& c : cases) {
    LineList list;
    list.Add("old");
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines) << c.name;
  }
}

TEST(LineListTest, GetTextEndsEveryLineWithCrLf) {
  LineList list;
  EXPECT_EQ(list.GetText(), "");
  list.Add("a");
  list.Add("");
  list.Add("b");
  EXPECT_EQ(list.GetText(), "a\r\n\r\nb\r\n");
}

TEST(LineListTest, IndexedOperations) {
  LineList list;
  EXPECT_EQ(list.Add("a"), 0);
  EXPECT_EQ(list.Add(""), 1);
  EXPECT_EQ(list.Add("c"), 2);
  list.Put(1, "b");
  list.Insert(0, "first");
  list.Insert(list.Count(), "last");  // inserting at count appends
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"first", "a", "b", "c", "last"}));
  list.Delete(0);
  list.Delete(3);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(list.Get(2), "c");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(LineListTest, IndexOutOfRangeRaisesListIndexError) {
  LineList empty;
  LineList two;
  two.Add("x");
  two.Add("y");
  struct Case {
    const char* name;
    std::function<void()> action;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"delete 0 of empty", [&] { empty.Delete(0); }, "List index out of bounds (0)"},
      {"get 0 of empty", [&] { (void)empty.Get(0); }, "List index out of bounds (0)"},
      {"get count", [&] { (void)two.Get(2); }, "List index out of bounds (2)"},
      {"get negative", [&] { (void)two.Get(-1); }, "List index out of bounds (-1)"},
      {"put count", [&] { two.Put(2, "z"); }, "List index out of bounds (2)"},
      {"put negative", [&] { two.Put(-5, "z"); }, "List index out of bounds (-5)"},
      {"delete count", [&] { two.Delete(2); }, "List index out of bounds (2)"},
      {"insert count + 1", [&] { two.Insert(3, "z"); }, "List index out of bounds (3)"},
      {"insert negative", [&] { two.Insert(-1, "z"); }, "List index out of bounds (-1)"},
  };
  for (const Case& c : cases) EXPECT_EQ(IndexError(c.action), c.message) << c.name;
  EXPECT_EQ(Lines(two), (std::vector<std::string>{"x", "y"}));  // failed calls change nothing
}

TEST(LineListFileTest, LoadAndSaveRoundTrip) {
  TempDir dir;
  const std::string path = dir / "a.txt";
  WriteBytes(path, "a\r\nb");
  LineList list;
  list.LoadFromFile(path);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b"}));
  list.SaveToFile(path);
  EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n");

  WriteBytes(path, "a\n\rb");
  list.LoadFromFile(path);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "", "b"}));

  WriteBytes(path, "");
  list.LoadFromFile(path);
  EXPECT_EQ(list.Count(), 0);
}

TEST(LineListFileTest, LoadsAFileLargerThanOneReadBlock) {
  TempDir dir;
  const std::string path = dir / "big.txt";
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "line " + std::to_string(i) + "\r\n";
  WriteBytes(path, text);
  LineList list;
  list.LoadFromFile(path);
  ASSERT_EQ(list.Count(), 200000);
  EXPECT_EQ(list.Get(199999), "line 199999");
  EXPECT_EQ(list.GetText(), text);
}

TEST(LineListFileTest, SavingAnEmptyListGivesAnEmptyFile) {
  TempDir dir;
  const std::string path = dir / "empty.txt";
  WriteBytes(path, "old content");
  LineList().SaveToFile(path);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(LineListFileTest, LoadingAMissingFileRaisesFileOpenError) {
  TempDir dir;
  LineList list;
  list.Add("kept");
  try {
    list.LoadFromFile(dir / "missing.txt");
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file \"" + (dir / "missing.txt") + "\". " +
                               SystemErrorText(platform::kFileNotFound));
  }
  EXPECT_EQ(Lines(list), std::vector<std::string>{"kept"});
}

TEST(LineListFileTest, LoadNamesTheAbsolutePath) {
  TempDir dir;
  WriteBytes(dir / "rel.txt", "x");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  std::string message;
  try {
    LineList().LoadFromFile(Native("./sub/../missing.txt"));
  } catch (const EFOpenError& e) {
    message = e.Message();
  }
  LineList list;
  list.LoadFromFile("rel.txt");  // relative paths load against the current directory
  std::filesystem::current_path(previous);
  const std::string real = std::filesystem::canonical(dir.path()).string();
  EXPECT_EQ(message, "Cannot open file \"" + real + Native("/missing.txt") + "\". " +
                         SystemErrorText(platform::kFileNotFound));
  EXPECT_EQ(Lines(list), std::vector<std::string>{"x"});
}

TEST(LineListFileTest, SavingWhereNoFileCanBeCreatedRaisesFileCreateError) {
  TempDir dir;
  LineList list;
  list.Add("x");
  const std::string path = dir / "no-such-dir/out.txt";
  try {
    list.SaveToFile(path);
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(),
              "Cannot create file \"" + path + "\". " + SystemErrorText(platform::kPathNotFound));
  }
}

TEST(LineListFileTest, ChineseFileNamesAreConvertedForTheFileSystem) {
  TempDir dir;
  // "账" in code page 936 is D5 CB; the file system holds it as UTF-8.
  WriteBytes(dir / "\xE8\xB4\xA6.txt", "1\r\n");
  LineList list;
  list.LoadFromFile(dir / "\xD5\xCB.txt");
  EXPECT_EQ(Lines(list), std::vector<std::string>{"1"});
  list.SaveToFile(dir / "\xD5\xCB\xD5\xCB.txt");
  EXPECT_EQ(ReadBytes(dir / "\xE8\xB4\xA6\xE8\xB4\xA6.txt"), "1\r\n");
}

}  // namespace
}  // namespace dt

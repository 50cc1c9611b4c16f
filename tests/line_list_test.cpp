// The line list: indexed access and its error, and the line-splitting rule.
#include "src/staging/line_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace dt {
namespace {

using namespace std::string_literals;

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
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "", "c"}));
  EXPECT_EQ(list.Get(2), "c");
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
      {"get 0 of empty", [&] { (void)empty.Get(0); }, "List index out of bounds (0)"},
      {"get count", [&] { (void)two.Get(2); }, "List index out of bounds (2)"},
      {"get negative", [&] { (void)two.Get(-1); }, "List index out of bounds (-1)"},
  };
  for (const Case& c : cases) EXPECT_EQ(IndexError(c.action), c.message) << c.name;
}

}  // namespace
}  // namespace dt

// The text operations: splitting, equality, names, decimal text and
// template filling, including double-byte characters.
#include "src/staging/text_utils.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/paths.h"

namespace dt {
namespace {

using namespace std::string_literals;

std::vector<std::string> Lines(const LineList& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
  return lines;
}

struct SplitCase {
  const char* name;
  std::string separators;
  std::string white_space;
  std::string text;
  std::vector<std::string> items;
};

TEST(SplitItemsTest, CutsTextIntoItems) {
  const std::vector<SplitCase> cases = {
      {"dotted code", ".", " ", "101.01.02", {"101", "01", "02"}},
      {"single item", ".", " ", "101", {"101"}},
      {"separators in a row", ".", " ", "1..2", {"1", "2"}},
      {"separators at both ends", ".", " ", ".5.", {"5"}},
      {"white space kept inside and at the end", ".", " ", " 7 .8", {"7 ", "8"}},
      {"quotes hide separators", ".", " ", "a'b.c'd.e", {"a'b.c'd", "e"}},
      {"double quotes too", ".", " ", "\"x.y\".z", {"\"x.y\"", "z"}},
      {"other quote inside a quote", ".", " ", "'a\".b'.c", {"'a\".b'", "c"}},
      {"unclosed quote runs to the end", ".", " ", "a'b.c.d", {"a'b.c.d"}},
      {"empty text", ".", " ", "", {}},
      {"only white space", ".", " ", "  ", {}},
      {"separator that is also white space", ".", " #.", "#12.#3", {"12", "3"}},
      {"CR and LF end items", ".", " ", "1\r\n2\n3\r4", {"1", "2", "3", "4"}},
      {"CR inside quotes stays", ".", " ", "'1\r2'.3", {"'1\r2'", "3"}},
      {"zero byte ends the text",
       ".",
       " ",
       "1.2\0"
       ".3"s,
       {"1", "2"}},
      {"zero byte inside a quote ends it",
       ".",
       " ",
       "'1\0"
       ".3"s,
       {"'1"}},
      {"leading zero byte",
       ".",
       " ",
       "\0"
       "1.2"s,
       {}},
      // 0x81 0x2E is not valid GBK, but the splitter must still step over
      // the pair: the '.' is a trail byte there, not a separator.
      {"trail byte never a separator", ".", " ", "\x81.a.b", {"\x81.a", "b"}},
      {"lead byte at the end", ".", " ", "a.\x81", {"a", "\x81"}},
      {"Chinese item", ".", " ", "\xD6\xD0.\xCE\xC4", {"\xD6\xD0", "\xCE\xC4"}},
      // A separator byte that leads a double-byte character is consumed with
      // its trail byte, which must not start the next item.
      {"lead byte as separator",
       "\xD6",
       " ",
       "a\xD6\xD0"
       "b",
       {"a", "b"}},
  };
  for (const SplitCase& c : cases) {
    LineList list;
    const int count = SplitItems(c.separators, c.white_space, c.text, list);
    EXPECT_EQ(count, static_cast<int>(c.items.size())) << c.name;
    EXPECT_EQ(Lines(list), c.items) << c.name;
  }
}

TEST(SplitItemsTest, AppendsAfterExistingLines) {
  LineList list;
  list.Add("kept");
  EXPECT_EQ(SplitItems(".", " ", "1.2", list), 2);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"kept", "1", "2"}));
}

TEST(EqualTest, ComparesBytesWithCase) {
  EXPECT_TRUE(Equal("BOOK.TXT", "BOOK.TXT"));
  EXPECT_FALSE(Equal("BOOK.TXT", "book.txt"));
  EXPECT_FALSE(Equal("BOOK", "BOOK.TXT"));
  EXPECT_TRUE(Equal("", ""));
  EXPECT_FALSE(Equal("a\0b"s, "a\0c"s));
}

TEST(FileNamePartTest, TakesTheNameAfterTheLastDelimiter) {
  const std::string d(1, platform::PathDelim);
  EXPECT_EQ(FileNamePart(d + "data" + d + "BOOK.TXT"), "BOOK.TXT");
  EXPECT_EQ(FileNamePart(d + "data" + d + d + "book.txt"), "book.txt");
  EXPECT_EQ(FileNamePart("BOOK.TXT"), "BOOK.TXT");
  EXPECT_EQ(FileNamePart(d + "data" + d), "");
  EXPECT_EQ(FileNamePart(""), "");
  EXPECT_EQ(FileNamePart(d + "\xD5\xCA" + d + "\xD5\xCA.txt"), "\xD5\xCA.txt");
  // A delimiter byte right after a lead byte is that character's trail byte.
  EXPECT_EQ(FileNamePart(d + "a\x81" + d + "b.txt"), "a\x81" + d + "b.txt");
  EXPECT_EQ(FileNamePart(d + "a" + d + "\x81"), "\x81");  // a lone lead byte at the end
}

TEST(LeadingPartTest, TakesTheFirstBytes) {
  EXPECT_EQ(LeadingPart("BOOK.TXT", 4), "BOOK");
  EXPECT_EQ(LeadingPart("A.T", -1), "");
  EXPECT_EQ(LeadingPart("A.T", 0), "");
  EXPECT_EQ(LeadingPart("A.T", 3), "A.T");
  EXPECT_EQ(LeadingPart("A.T", INT_MAX), "A.T");
}

TEST(DecimalTextTest, WritesSignedDecimal) {
  EXPECT_EQ(DecimalText(0), "0");
  EXPECT_EQ(DecimalText(7), "7");
  EXPECT_EQ(DecimalText(-15), "-15");
  EXPECT_EQ(DecimalText(1000000), "1000000");
  EXPECT_EQ(DecimalText(INT32_MAX), "2147483647");
  EXPECT_EQ(DecimalText(INT32_MIN), "-2147483648");
}

TEST(FillTemplateTest, ReplacesPlaceholdersInOrder) {
  EXPECT_EQ(FillTemplate("select * into %s in \"%s\" from %s", {"BOOK", "x.mdb", "BOOK.TXT"}),
            "select * into BOOK in \"x.mdb\" from BOOK.TXT");
  EXPECT_EQ(FillTemplate("%s%s", {"a", "b"}), "ab");
  EXPECT_EQ(FillTemplate("no placeholder", {"a"}), "no placeholder");
  EXPECT_EQ(FillTemplate("[%s]", {"%s"}), "[%s]");  // inserted texts are not searched
  EXPECT_EQ(FillTemplate("100%", {}), "100%");
  EXPECT_EQ(FillTemplate("%s-%s", {"a"}), "a-");
  const std::string long_text(100000, 'x');
  EXPECT_EQ(FillTemplate("<%s>", {long_text}).size(), long_text.size() + 2);
}

}  // namespace
}  // namespace dt

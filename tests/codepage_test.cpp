// Code page conversions: Chinese text between code page 936 and Unicode,
// the replacement of what cannot be converted, the lead-byte test, UTF-8
// paths, and the ASCII rules of both encodings.
#include "platform/codepage.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <iconv.h>
#endif

#include <filesystem>
#include <string>

namespace dt::platform {
namespace {

using namespace std::string_literals;

// "中文" in code page 936 and in UTF-8.
const std::string kGbk = "\xD6\xD0\xCE\xC4";
const std::string kUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";

TEST(CodepageTest, RoundTripsChineseBetweenAnsiAndUnicode) {
  EXPECT_EQ(AnsiToUtf8(kGbk), kUtf8);
  EXPECT_EQ(Utf8ToAnsi(kUtf8), kGbk);
  EXPECT_EQ(AnsiToUtf16(kGbk), u"中文");
  EXPECT_EQ(Utf16ToAnsi(u"中文"), kGbk);
  EXPECT_EQ(Utf8ToUtf16(kUtf8), u"中文");
  EXPECT_EQ(Utf16ToUtf8(u"中文"), kUtf8);
  EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");  // the euro sign of code page 936
}

TEST(CodepageTest, CharactersTheTargetLacksBecomeQuestionMarks) {
  // U+0639 and U+1F600 are not in code page 936; the text around them stays.
  EXPECT_EQ(Utf8ToAnsi("a\xD8\xB9"
                       "b\xF0\x9F\x98\x80"
                       "c"),
            "a?b?c");
  EXPECT_EQ(Utf16ToAnsi(u"x\U0001F600y"), "x?y");
}

TEST(CodepageTest, MalformedInputIsReplacedNotCut) {
  EXPECT_EQ(AnsiToUtf8("a\xD6"), "a?");  // lead byte without its trail byte
  EXPECT_EQ(Utf8ToAnsi("a\xFF"
                       "b"),
            "a?b");  // not UTF-8 at all
  EXPECT_EQ(AnsiToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

// Each malformed sequence becomes one '?', and the text after it is kept:
// a byte that cannot follow a lead byte is a character of its own.
TEST(CodepageTest, EachMalformedSequenceBecomesOneQuestionMark) {
  struct AnsiCase {
    std::string ansi;
    std::u16string utf16;
  };
  const AnsiCase ansi_cases[] = {
      {"\xD6,1", u"?,1"},
      {"\x81\x30", u"?0"},
      {std::string("\xD6\0x", 3), std::u16string(u"?\0x", 3)},
      {"\xD6\xD0\xD6", u"中?"},
      {"x\xD6\xD0\x81\x7F\xCE\xC4", u"x中?\x7F文"},
  };
  for (const AnsiCase& c : ansi_cases) {
    EXPECT_EQ(AnsiToUtf16(c.ansi), c.utf16) << c.ansi;
    EXPECT_EQ(AnsiToUtf8(c.ansi), Utf16ToUtf8(c.utf16)) << c.ansi;
  }
  struct Utf8Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Utf8Case utf8_cases[] = {
      {"\xE4\xB8"
       "a",
       u"?a"},                                     // cut short
      {"\xED\xA0\x80", u"?"},                      // a surrogate's code
      {"\xC0\x80|\xFF|\x80\x80", u"?|?|?"},        // overlong, never a lead, lone continuations
      {"\xE4\xB8\xAD\xF8\xE6\x96\x87", u"中?文"},  // a bad byte between whole characters
  };
  for (const Utf8Case& c : utf8_cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
  // Half of a surrogate pair is no character: one '?' in either target.
  EXPECT_EQ(Utf16ToUtf8(u"a\xD800"
                        u"b"),
            "a?b");
  EXPECT_EQ(Utf16ToAnsi(u"a\xDC00"
                        u"b"),
            "a?b");
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");  // a whole pair converts
}

// A long text with one bad character in it keeps everything else.
TEST(CodepageTest, OneBadCharacterInALongTextChangesOnlyItself) {
  std::string ansi;
  std::u16string expected;
  for (int i = 0; i < 600; ++i) {
    ansi += "\xD6\xD0";
    expected += u"中";
  }
  ansi += "\x81,";  // a lead byte with a byte that cannot follow it
  expected += u"?,";
  for (int i = 0; i < 600; ++i) {
    ansi += "\xCE\xC4";
    expected += u"文";
  }
  const std::u16string got = AnsiToUtf16(ansi);
  ASSERT_EQ(got.size(), expected.size());
  EXPECT_TRUE(got == expected);
  EXPECT_TRUE(AnsiToUtf8(ansi) == Utf16ToUtf8(expected));
}

// The code point a reference table gives a pair of code page 936, 0 when
// it gives none: glibc's GB18030 table, which took over the way Windows maps
// the user-defined ranges; on Windows, the system's own table.
#ifdef _WIN32
class ReferenceTable {
 public:
  bool ok() const { return true; }
  char16_t operator()(const std::string& pair) const {
    const std::u16string unicode = AnsiToUtf16(pair);
    return unicode.size() == 1 ? unicode[0] : 0;
  }
};
#else
class ReferenceTable {
 public:
  ReferenceTable() : gb18030_(iconv_open("UTF-16LE", "GB18030")) {}
  ~ReferenceTable() {
    if (ok()) iconv_close(gb18030_);
  }
  ReferenceTable(const ReferenceTable&) = delete;
  ReferenceTable& operator=(const ReferenceTable&) = delete;
  bool ok() const { return gb18030_ != reinterpret_cast<iconv_t>(-1); }
  char16_t operator()(const std::string& pair) const {
    char in[2] = {pair[0], pair[1]};
    char16_t reference = 0;
    char* in_ptr = in;
    size_t in_left = 2;
    char* out_ptr = reinterpret_cast<char*>(&reference);
    size_t out_left = 2;
    if (iconv(gb18030_, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1)) {
      return 0;
    }
    return reference;
  }

 private:
  iconv_t gb18030_;
};
#endif

// The user-defined ranges of code page 936 map to the private use area the
// way Windows maps them, for every pair of the three ranges.
TEST(CodepageTest, UserDefinedCharactersMapToThePrivateUseAreaAndBack) {
  const ReferenceTable table;
  ASSERT_TRUE(table.ok());
  int pairs = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const char32_t mapped = UserDefinedToUnicode(lead, trail);
      if (mapped == 0) continue;
      ++pairs;
      const std::string ansi = {static_cast<char>(lead), static_cast<char>(trail)};
      const char16_t reference = table(ansi);
      ASSERT_EQ(mapped, reference) << std::hex << lead << trail;
      ASSERT_EQ(AnsiToUtf16(ansi), std::u16string(1, reference)) << std::hex << lead << trail;
      ASSERT_EQ(Utf16ToAnsi(std::u16string(1, reference)), ansi) << std::hex << lead << trail;
      ASSERT_EQ(Utf8ToAnsi(AnsiToUtf8(ansi)), ansi) << std::hex << lead << trail;
    }
  }
  EXPECT_EQ(pairs, 6 * 94 + 7 * 94 + 7 * 96);
  unsigned char lead = 0;
  unsigned char trail = 0;
  EXPECT_FALSE(UnicodeToUserDefined(0xE766, lead, trail));
#ifndef _WIN32
  // Windows' own table goes on past the ranges (U+E766 is A2 AB there).
  EXPECT_EQ(Utf8ToAnsi("\xEE\x9D\xA6"), "?");  // U+E766, past the ranges
#endif
}

TEST(CodepageTest, ValidUtf8IsRecognised) {
  struct Case {
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"plain ascii", true},
      {kUtf8, true},
      {kGbk, false},
      {"\xC0\x80", false},          // overlong
      {"\xED\xA0\x80", false},      // surrogate
      {"\xE4\xB8", false},          // cut short
      {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
      {"\xF0\x9F\x98\x80", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
}

TEST(CodepageTest, LeadBytesAreThoseOfCodePage936) {
  EXPECT_FALSE(IsAnsiLeadByte(0x80));
  EXPECT_TRUE(IsAnsiLeadByte(0x81));
  EXPECT_TRUE(IsAnsiLeadByte(0xFE));
  EXPECT_FALSE(IsAnsiLeadByte(0xFF));
  EXPECT_FALSE(IsAnsiLeadByte('.'));
}

TEST(CodepageTest, AnsiLiteralComesFromUtf8Source) { EXPECT_EQ(Ansi(u8"中文"), kGbk); }

TEST(Utf8PathTest, ChineseNamesSurviveTheWayToAPathAndBack) {
  const std::string name = kUtf8 + ".txt";
  const std::filesystem::path path = PathOf(name);
  EXPECT_TRUE(path.u8string() == u8"中文.txt");  // char8_t text has no printer here
  EXPECT_EQ(Utf8Of(path), name);
  EXPECT_EQ(Utf8Of(PathOf("")), "");
}

TEST(IsAsciiTest, FindsAHighByteWhereverItStands) {
  EXPECT_TRUE(IsAscii(""));
  EXPECT_TRUE(IsAscii("\0\x7F"s));
  // Every length around the eight-byte steps, the high byte at every place.
  for (std::size_t length = 1; length <= 20; ++length) {
    const std::string ascii(length, 'a');
    EXPECT_TRUE(IsAscii(ascii)) << length;
    for (std::size_t at = 0; at < length; ++at) {
      std::string text = ascii;
      text[at] = '\x80';
      EXPECT_FALSE(IsAscii(text)) << length << " " << at;
      EXPECT_FALSE(IsAscii(std::string_view(text).substr(at))) << length << " " << at;
    }
  }
}

TEST(TrimTest, RemovesLowBytesAtBothEnds) {
  EXPECT_EQ(Trim(" \t12 \r\n"), "12");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim("\0 \x01\x20"s), "");
  EXPECT_EQ(Trim("a b"), "a b");
  EXPECT_EQ(Trim("\x80\xA1 "), "\x80\xA1");  // high bytes never removed
  EXPECT_EQ(Trim("\0x\0"s), "x");
}

TEST(TrimTest, SpacesAndTabsOnlyWhereSoSaid) {
  EXPECT_EQ(TrimSpacesAndTabs(" \tName\t "), "Name");
  EXPECT_EQ(TrimSpacesAndTabs(" a b "), "a b");
  EXPECT_EQ(TrimSpacesAndTabs("\r a \n"), "\r a \n");  // other controls stay
  EXPECT_EQ(TrimSpacesAndTabs(" \t "), "");
}

TEST(AsciiUpperCaseTest, ChangesOnlyLowerCaseAsciiBytes) {
  EXPECT_EQ(AsciiUpperCase("book.txt"), "BOOK.TXT");
  EXPECT_EQ(AsciiUpperCase("Az_09{`@"), "AZ_09{`@");
  // Trail bytes between a and z change too: the rule is byte by byte.
  EXPECT_EQ(AsciiUpperCase("\x81\x61\xE0\xFF"), "\x81\x41\xE0\xFF");
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string upper = AsciiUpperCase(all);
  const std::string lower = AsciiLowerCase(all);
  ASSERT_EQ(upper.size(), 256u);
  ASSERT_EQ(lower.size(), 256u);
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(static_cast<unsigned char>(upper[b]), (b >= 'a' && b <= 'z') ? b - 32 : b) << b;
    EXPECT_EQ(static_cast<unsigned char>(lower[b]), (b >= 'A' && b <= 'Z') ? b + 32 : b) << b;
  }
}

TEST(EqualIgnoringAsciiCaseTest, FoldsAsciiLettersOnly) {
  struct Case {
    std::string a;
    std::string b;
    bool bytes;  // platform::EqualIgnoringAsciiCase
    bool ansi;   // AnsiEqualIgnoringAsciiCase
  };
  const Case cases[] = {
      {"Remain", "REMAIN", true, true},
      {"Remain", "REMAINS", false, false},
      {"a\0b"s, "A\0B"s, true, true},
      {"[x]", "{x}", false, false},  // '[' and '{' are 32 apart but no letters
      // UTF-8 é and É: letters beyond ASCII keep their case.
      {"\xC3\xA9", "\xC3\x89", false, false},
      // 丄 and 乤 in code page 936 are 81 41 and 81 61: two characters whose
      // trail bytes are "A" and "a". Byte by byte they are one name.
      {"\x81\x41", "\x81\x61", true, false},
      {"x\x81\x41y", "X\x81\x41Y", true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::EqualIgnoringAsciiCase(c.a, c.b), c.bytes) << c.a << " " << c.b;
    EXPECT_EQ(platform::EqualIgnoringAsciiCase(c.b, c.a), c.bytes) << c.b << " " << c.a;
    EXPECT_EQ(AnsiEqualIgnoringAsciiCase(c.a, c.b), c.ansi) << c.a << " " << c.b;
    EXPECT_EQ(AnsiEqualIgnoringAsciiCase(c.b, c.a), c.ansi) << c.b << " " << c.a;
  }
}

}  // namespace
}  // namespace dt::platform

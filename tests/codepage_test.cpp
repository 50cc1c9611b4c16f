// Code page conversions: Chinese text between code page 936 and Unicode,
// the replacement of what cannot be converted, and the lead-byte test.
#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace dt::platform {
namespace {

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

}  // namespace
}  // namespace dt::platform

// Code page conversions: Chinese text between code page 936 and Unicode,
// the replacement of what cannot be converted, and the lead-byte test.
#include "platform/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

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

// The user-defined ranges of code page 936 map to the private use area the
// way Windows maps them, which GB18030 took over; glibc's GB18030 table is
// the reference for every pair of the three ranges.
TEST(CodepageTest, UserDefinedCharactersMapToThePrivateUseAreaAndBack) {
  iconv_t gb18030 = iconv_open("UTF-16LE", "GB18030");
  ASSERT_NE(gb18030, reinterpret_cast<iconv_t>(-1));
  int pairs = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const char32_t mapped = UserDefinedToUnicode(lead, trail);
      if (mapped == 0) continue;
      ++pairs;
      char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char16_t reference = 0;
      char* in_ptr = in;
      size_t in_left = 2;
      char* out_ptr = reinterpret_cast<char*>(&reference);
      size_t out_left = 2;
      ASSERT_NE(iconv(gb18030, &in_ptr, &in_left, &out_ptr, &out_left), static_cast<size_t>(-1));
      ASSERT_EQ(mapped, reference) << std::hex << lead << trail;
      const std::string ansi(in, 2);
      ASSERT_EQ(AnsiToUtf16(ansi), std::u16string(1, reference)) << std::hex << lead << trail;
      ASSERT_EQ(Utf16ToAnsi(std::u16string(1, reference)), ansi) << std::hex << lead << trail;
      ASSERT_EQ(Utf8ToAnsi(AnsiToUtf8(ansi)), ansi) << std::hex << lead << trail;
    }
  }
  iconv_close(gb18030);
  EXPECT_EQ(pairs, 6 * 94 + 7 * 94 + 7 * 96);
  unsigned char lead = 0;
  unsigned char trail = 0;
  EXPECT_FALSE(UnicodeToUserDefined(0xE766, lead, trail));
  EXPECT_EQ(Utf8ToAnsi("\xEE\x9D\xA6"), "?");  // U+E766, past the ranges
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

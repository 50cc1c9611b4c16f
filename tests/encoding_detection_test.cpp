// Tests of the text driver's encoding detection: the answer for a file must
// not depend on how its bytes are cut into pieces; the byte-order mark is
// skipped only when whole and only in a UTF-8 file; code page 936 text is
// never taken for UTF-8 by chance, and Chinese UTF-8 text still is UTF-8;
// a character set named is taken as it is.
#include "platform/encoding_detection.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "tests/chinese_names.h"

namespace dt::platform {
namespace {

std::string U8(std::u8string_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

DetectedEncoding Detect(std::string_view bytes, std::size_t piece,
                        CharacterSet character_set = CharacterSet::kDetect) {
  EncodingDetector detector(character_set);
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    if (!detector.Feed(bytes.substr(at, piece))) break;
  }
  return detector.Finish();
}

TEST(EncodingDetectionTest, AnswerIsTheSameHoweverTheBytesArePieced) {
  constexpr auto kUtf8 = TextEncoding::kUtf8;
  constexpr auto k936 = TextEncoding::kCodePage936;
  struct Case {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
    std::size_t bom_size;
    bool ascii = false;  // nothing outside ASCII: it reads the same either way
  };
  const std::vector<Case> cases = {
      {"empty", "", kUtf8, 0, true},
      {"ascii", "A,B\r\n1,2\r\n", kUtf8, 0, true},
      {"byte-order mark and text",
       "\xEF\xBB\xBF"
       "A\r\n",
       kUtf8, 3},
      {"byte-order mark alone", "\xEF\xBB\xBF", kUtf8, 3},
      {"first bytes of the mark only", "\xEF\xBB", k936, 0},
      // U+FEC0 is no Chinese character: the file is code page 936, whole.
      {"character sharing the mark's first bytes", "\xEF\xBB\x80,x", k936, 0},
      {"mark before a character sharing its first bytes", "\xEF\xBB\xBF\xEF\xBB\x80,x", kUtf8, 3},
      {"mark before code page 936 text is text", "\xEF\xBB\xBF\xC3\xFB", k936, 0},
      {"four-byte character", "A\r\n\xF0\x9F\x98\x80x", k936, 0},
      {"mark and a four-byte character", "\xEF\xBB\xBF\xF0\x9F\x98\x80x", kUtf8, 3},
      {"three Chinese characters", U8(u8"A\r\n现金,账\r\n"), kUtf8, 0},
      {"two Chinese characters are too few", U8(u8"A\r\n现金\r\n"), k936, 0},
      // 路 C2 B7, 卢 C2 AC, 毛 C3 AB: two-byte UTF-8 characters all.
      {"code page 936 text that is two-byte utf-8", platform::Ansi(u8"A\r\n路卢毛平水\r\n"), k936,
       0},
      // 姒叉蹈 is E6 A6 B2 E6 B5 B8: 榲浸 in UTF-8, two characters only.
      {"code page 936 text that is three-byte utf-8", platform::Ansi(u8"A\r\n姒叉蹈\r\n"), k936, 0},
      {"Chinese punctuation and full-width forms",
       U8(u8"A\r\n（北京）“项目”——第一、二。３％，￥５\r\n"), kUtf8, 0},
      {"middle dot of a name", U8(u8"A\r\n阿卜杜·热合曼\r\n"), kUtf8, 0},
      {"middle dot alone", U8(u8"A\r\n·\r\n"), k936, 0},
      // Two- and three-byte characters mixed is the pattern code page 936
      // text gives by chance.
      {"a letter with an accent among Chinese", U8(u8"A\r\n北京大学,café\r\n"), k936, 0},
      {"Japanese kana", U8(u8"A\r\nカタカナ\r\n"), k936, 0},
      {"code page 936 text", platform::Ansi(u8"名称,摘要\r\n现金\r\n"), k936, 0},
      {"lead byte before ascii after a long ascii stretch", "abcdefghijklmnopq\xC3(", k936, 0},
      {"sequence cut at the end", "A\r\n\xE4\xB8", k936, 0},
      {"overlong form", "A\xC0\x80", k936, 0},
      {"surrogate", "A\xED\xA0\x80", k936, 0},
  };
  for (const Case& c : cases) {
    for (std::size_t piece :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, std::size_t{4096}}) {
      SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
      const DetectedEncoding detected = Detect(c.bytes, piece);
      EXPECT_EQ(detected.encoding, c.encoding);
      EXPECT_EQ(detected.bom_size, c.bom_size);
      EXPECT_EQ(detected.ascii, c.ascii);
    }
  }
}

// Random names of one to six GB2312 characters, each the only text outside
// ASCII of a one-row file: some two in a hundred are well-formed UTF-8, and
// none may be read as UTF-8.
TEST(EncodingDetectionTest, CodePage936NamesAreNeverUtf8) {
  const std::vector<std::string> characters = testing::Gb2312Characters(false);
  ASSERT_GT(characters.size(), 7000u);
  std::mt19937 random(936);
  int well_formed = 0;
  for (int i = 0; i < 100000; ++i) {
    const std::string name = testing::RandomName(random, characters, 1, 6);
    const std::string file = "ID,NAME\r\n" + std::to_string(i) + "," + name + "\r\n";
    well_formed += platform::IsValidUtf8(file) ? 1 : 0;
    const DetectedEncoding detected = Detect(file, file.size());
    ASSERT_EQ(detected.encoding, TextEncoding::kCodePage936)
        << "name " << i << ": " << ::testing::PrintToString(name);
    ASSERT_EQ(detected.bom_size, 0u);
  }
  EXPECT_GT(well_formed, 1000) << "the names must hold the case that matters";
}

// Files of two to five rows of ordinary names (two to ten common
// characters) written in UTF-8 are UTF-8.
TEST(EncodingDetectionTest, Utf8NamesAreUtf8) {
  const std::vector<std::string> characters = testing::Gb2312Characters(true);
  ASSERT_EQ(characters.size(), 3755u);
  std::mt19937 random(65001);
  std::uniform_int_distribution<int> rows(2, 5);
  for (int i = 0; i < 5000; ++i) {
    std::string file = "ID,NAME\r\n";
    for (int row = rows(random); row > 0; --row) {
      file += std::to_string(row) + "," +
              platform::AnsiToUtf8(testing::RandomName(random, characters, 2, 10)) + "\r\n";
    }
    for (std::size_t piece : {std::size_t{7}, file.size()}) {
      ASSERT_EQ(Detect(file, piece).encoding, TextEncoding::kUtf8)
          << "file " << i << ": " << ::testing::PrintToString(file);
    }
  }
}

// A named character set is taken whatever the bytes say; named UTF-8 still
// skips a whole byte-order mark, and only that.
TEST(EncodingDetectionTest, NamedCharacterSetIsTakenAsItIs) {
  constexpr auto kUtf8 = TextEncoding::kUtf8;
  constexpr auto k936 = TextEncoding::kCodePage936;
  struct Case {
    const char* name;
    CharacterSet character_set;
    std::string bytes;
    TextEncoding encoding;
    std::size_t bom_size;
  };
  const std::vector<Case> cases = {
      {"936 over utf-8 text", CharacterSet::kCodePage936, U8(u8"A\r\n中文名称\r\n"), k936, 0},
      {"936 over a mark", CharacterSet::kCodePage936,
       "\xEF\xBB\xBF"
       "A\r\n",
       k936, 0},
      {"utf-8 over two characters", CharacterSet::kUtf8, U8(u8"A\r\n现金\r\n"), kUtf8, 0},
      {"utf-8 over malformed bytes", CharacterSet::kUtf8, "A\r\n\xC3(", kUtf8, 0},
      {"utf-8 with a mark", CharacterSet::kUtf8, "\xEF\xBB\xBF\xC3(", kUtf8, 3},
      {"utf-8 with the mark's first bytes", CharacterSet::kUtf8, "\xEF\xBB", kUtf8, 0},
      {"utf-8, empty", CharacterSet::kUtf8, "", kUtf8, 0},
  };
  for (const Case& c : cases) {
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{4096}}) {
      SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
      const DetectedEncoding detected = Detect(c.bytes, piece, c.character_set);
      EXPECT_EQ(detected.encoding, c.encoding);
      EXPECT_EQ(detected.bom_size, c.bom_size);
    }
  }
}

// Named, the answer is known from the first character on: the file need not
// be read through.
TEST(EncodingDetectionTest, NamedCharacterSetAsksForTheFirstCharacterAtMost) {
  EncodingDetector code_page(CharacterSet::kCodePage936);
  EXPECT_FALSE(code_page.Feed("A"));
  EncodingDetector utf8(CharacterSet::kUtf8);
  EXPECT_TRUE(utf8.Feed("\xEF\xBB"));
  EXPECT_FALSE(utf8.Feed("\xBFtext"));
  EXPECT_EQ(utf8.Finish().bom_size, 3u);
  EncodingDetector detect;
  EXPECT_TRUE(detect.Feed(U8(u8"名称")));
}

TEST(EncodingDetectionTest, OnceNotUtf8LaterBytesChangeNothing) {
  EncodingDetector detector;
  EXPECT_TRUE(detector.Feed("\xE4"));  // a character not yet complete
  EXPECT_FALSE(detector.Feed("(x"));   // cannot complete it
  EXPECT_FALSE(detector.Feed("\xB8\xAD"));
  EXPECT_EQ(detector.Finish().encoding, TextEncoding::kCodePage936);
}

}  // namespace
}  // namespace dt::platform

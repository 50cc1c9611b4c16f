// Tests of the text driver's encoding detection: the answer for a file must
// not depend on how its bytes are cut into pieces, and the byte-order mark is
// skipped only when whole and only in a UTF-8 file.
#include "platform/jet/encoding_detection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"

namespace dt::jet {
namespace {

DetectedEncoding Detect(std::string_view bytes, std::size_t piece) {
  EncodingDetector detector;
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
  };
  const std::vector<Case> cases = {
      {"empty", "", kUtf8, 0},
      {"ascii", "A,B\r\n1,2\r\n", kUtf8, 0},
      {"byte-order mark and text",
       "\xEF\xBB\xBF"
       "A\r\n",
       kUtf8, 3},
      {"byte-order mark alone", "\xEF\xBB\xBF", kUtf8, 3},
      {"first bytes of the mark only", "\xEF\xBB", k936, 0},
      {"character sharing the mark's first bytes", "\xEF\xBB\x80,x", kUtf8, 0},
      {"mark before code page 936 text is text", "\xEF\xBB\xBF\xC3\xFB", k936, 0},
      {"four-byte character", "A\r\n\xF0\x9F\x98\x80x", kUtf8, 0},
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
    }
  }
}

TEST(EncodingDetectionTest, OnceNotUtf8LaterBytesChangeNothing) {
  EncodingDetector detector;
  EXPECT_TRUE(detector.Feed("\xE4"));  // a character not yet complete
  EXPECT_FALSE(detector.Feed("(x"));   // cannot complete it
  EXPECT_FALSE(detector.Feed("\xB8\xAD"));
  EXPECT_EQ(detector.Finish().encoding, TextEncoding::kCodePage936);
}

}  // namespace
}  // namespace dt::jet

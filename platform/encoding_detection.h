// Encoding detection for exported text: whether a text file is read as
// UTF-8 or in the ANSI code page 936, and how many bytes of a byte-order mark
// to skip before its first line. Staging decides each staged file's
// character set by it, and the stand-in engine's text driver reads a file
// that nothing describes by it.
//
// Code page 936 text is often well-formed UTF-8 by chance: every character
// whose lead byte is C2-DF and trail byte A1-BF (路 卢 毛 平 水 ...) is a
// two-byte UTF-8 character, and three such characters can line up as two
// three-byte ones. So a file is read as UTF-8 only when that cannot be
// chance:
//  - it is well-formed UTF-8 throughout and starts with a whole UTF-8
//    byte-order mark (skipped; a character whose first bytes match it is
//    text); or
//  - it holds no byte outside ASCII (it reads the same either way); or
//  - it is well-formed UTF-8 throughout, every character outside ASCII is
//    one that Chinese text is written with (a three-byte character of the
//    CJK ideographs, CJK, general or full-width punctuation and the common
//    symbols, or the middle dot of names), and at least
//    kEnoughChineseCharacters of them are three-byte ones.
// Any other file is code page 936, read from its first byte.
//
// The character set may be named instead (CharacterSet=936 or 65001): then
// no detection is made; a UTF-8 file still has its byte-order
// mark skipped, and is not required to be well-formed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dt::platform {

enum class TextEncoding { kUtf8, kCodePage936 };

// How a text file is read: its encoding detected, or the one named.
enum class CharacterSet { kDetect, kCodePage936, kUtf8 };

struct DetectedEncoding {
  TextEncoding encoding;
  std::size_t bom_size;  // bytes of a byte-order mark to skip at the start
  // Detected from the whole file, which holds no byte outside ASCII: it
  // reads the same in either encoding.
  bool ascii = false;
};

// Three-byte characters a file without a byte-order mark needs before it
// is read as UTF-8. Code page 936 characters line up as three-byte UTF-8
// characters of the Chinese ranges only three at a time (six bytes, two
// UTF-8 characters), for random GB2312 characters once in about 27,000
// triples; three characters take two such triples.
inline constexpr int kEnoughChineseCharacters = 3;

// Takes a file's bytes in order, in pieces of any size, and says how to read
// the file. Holds only the few bytes of a character cut between two pieces.
class EncodingDetector {
 public:
  explicit EncodingDetector(CharacterSet character_set = CharacterSet::kDetect);

  // Takes the next bytes of the file. Returns false once the answer is
  // known: the rest of the file need not be fed.
  bool Feed(std::string_view bytes);

  // The answer for the bytes fed so far, taken as the whole file once Feed
  // has not returned false.
  DetectedEncoding Finish() const;

 private:
  bool Known() const;
  // Takes the characters of `text`, which starts at `position` in the file
  // and ends with a whole character.
  void Scan(std::string_view text, std::uint64_t position);
  void Take(char32_t code_point, std::size_t length, std::uint64_t position);

  CharacterSet character_set_;
  std::uint64_t fed_ = 0;   // bytes fed so far
  std::string pending_;     // a UTF-8 sequence cut by the end of the last piece
  bool invalid_ = false;    // a malformed sequence was met
  bool bom_ = false;        // the file starts with a byte-order mark
  bool non_ascii_ = false;  // a character outside ASCII (the mark aside) was met
  bool chinese_ = true;     // every such character is one Chinese text uses
  int chinese_count_ = 0;   // three-byte ones among them, up to kEnoughChineseCharacters
};

}  // namespace dt::platform

// Encoding detection for the text driver: whether a text file is read as
// UTF-8 or in the ANSI code page 936, and how many bytes of a byte-order mark
// to skip before its first line.
//
// A file that is valid UTF-8 throughout is UTF-8, and a whole leading UTF-8
// byte-order mark is skipped (a character whose first bytes match it is
// text). Any other file is code page 936, read from its first byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dt::jet {

enum class TextEncoding { kUtf8, kCodePage936 };

struct DetectedEncoding {
  TextEncoding encoding;
  std::size_t bom_size;  // bytes of a byte-order mark to skip at the start
};

// Takes a file's bytes in order, in pieces of any size, and says how to read
// the file. Holds only the few bytes of a character cut between two pieces.
class EncodingDetector {
 public:
  // Takes the next bytes of the file. Returns false once the answer is
  // known: the rest of the file need not be fed.
  bool Feed(std::string_view bytes);

  // The answer for the bytes fed so far, taken as the whole file once Feed
  // has not returned false.
  DetectedEncoding Finish() const;

 private:
  std::string head_;     // the file's first bytes, as many as a byte-order mark has
  std::string pending_;  // a UTF-8 sequence cut by the end of the last piece
  bool invalid_ = false;
};

}  // namespace dt::jet

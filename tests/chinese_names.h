// Chinese names for the encoding tests: the characters of the GB2312 set in
// code page 936, and random names made of them, in code page 936 or UTF-8.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace dt::testing {

// The characters of GB2312 as code page 936 pairs: the symbol rows (lead
// A1-A9) and the two levels of characters (lead B0-F7), each pair that the
// code page maps to one character outside the private use area; with
// `level1_only`, the 3755 common characters (lead B0-D7) alone.
inline std::vector<std::string> Gb2312Characters(bool level1_only) {
  std::vector<std::string> characters;
  for (int lead = 0xA1; lead <= 0xF7; ++lead) {
    if ((lead > 0xA9 && lead < 0xB0) || (level1_only && (lead < 0xB0 || lead > 0xD7))) continue;
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string text = platform::AnsiToUtf16(pair);
      if (text.size() == 1 && text[0] != u'?' && (text[0] < 0xE000 || text[0] > 0xF8FF)) {
        characters.push_back(pair);
      }
    }
  }
  return characters;
}

// A name of `min_length` to `max_length` characters drawn from `characters`.
inline std::string RandomName(std::mt19937& random, const std::vector<std::string>& characters,
                              int min_length, int max_length) {
  std::uniform_int_distribution<int> length(min_length, max_length);
  std::uniform_int_distribution<std::size_t> pick(0, characters.size() - 1);
  std::string name;
  for (int n = length(random); n > 0; --n) name += characters[pick(random)];
  return name;
}

}  // namespace dt::testing

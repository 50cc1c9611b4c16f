// The text key of the engines' comparisons of text.
#include "engine/text_key.h"

#include <algorithm>

#include "platform/codepage.h"

namespace dt::engine {

std::string TextKey(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return platform::AsciiLowerCase(text);
}

std::string_view TextKeyOf(std::string_view text, std::string& buffer) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  // Most keys are their text as it stands (codes in digits and dots): then
  // nothing is made.
  if (std::none_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
    return text;
  }
  buffer = platform::AsciiLowerCase(text);
  return buffer;
}

}  // namespace dt::engine

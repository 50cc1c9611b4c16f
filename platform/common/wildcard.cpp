// The wildcard rule of the directory search, for the file systems whose
// search does not match a wildcard itself.
#include "platform/file_search.h"

#include "platform/codepage.h"

namespace dt::platform {
bool WildcardMatch(std::string_view wildcard, std::string_view name) noexcept {
  std::size_t w = 0;
  std::size_t n = 0;
  std::size_t star = std::string_view::npos;  // position after the last '*'
  std::size_t resume = 0;                     // name position that '*' covers up to
  while (n < name.size()) {
    if (w < wildcard.size() && wildcard[w] == '*') {
      star = ++w;
      resume = n;
    } else if (w < wildcard.size() &&
               (wildcard[w] == '?' || AsciiUpper(wildcard[w]) == AsciiUpper(name[n]))) {
      ++w;
      ++n;
    } else if (star != std::string_view::npos) {
      w = star;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (w < wildcard.size() && wildcard[w] == '*') ++w;
  return w == wildcard.size();
}

}  // namespace dt::platform

// The line list: an ordered list of ANSI text lines, the store of an account
// code's segments and of a query's statement lines. Text comes in through
// the system's line-splitting rule and goes out with CR LF after every line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dt {

// Indices are int; an index outside 0..Count()-1 (negative ones included)
// raises EStringListError "List index out of bounds (<index>)". The list
// owns its lines; a reference returned by Get stays valid until the list is
// next changed.
class LineList {
 public:
  int Count() const noexcept { return static_cast<int>(lines_.size()); }

  // REQUIRES 0 <= i < Count(), else EStringListError.
  const std::string& Get(int i) const;
  // Appends a line (empty ones too) and returns its index.
  int Add(std::string text);

  // Empties the list, then adds the lines of `text`: CR LF, a lone CR and a
  // lone LF each end a line; a last line without an end is a line; the text
  // ends at its first zero byte.
  void SetText(std::string_view text);
  // Every line followed by CR LF, the last one included; "" when empty.
  std::string GetText() const;

 private:
  std::vector<std::string> lines_;
};

}  // namespace dt

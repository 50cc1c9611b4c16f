// Text operations on ANSI text (bytes of the system code page; a double-byte
// character counts as one character where noted). None of them keeps state
// or raises an error: every input has a defined result.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "src/staging/line_list.h"

namespace dt {

// Cuts `text` into items and appends them to `list` (never emptied); returns
// the number added. `separators` and `white_space` are sets of byte values.
// White space and CR/LF are skipped where an item starts; an item ends at a
// separator, CR or LF outside quotes ('...' or "..."), which is consumed;
// empty items are never produced; quotes stay in the item; the text ends at
// its first zero byte. A double-byte character is one step: its trail byte
// is never tested against any set.
int SplitItems(std::string_view separators, std::string_view white_space, std::string_view text,
               LineList& list);

// Byte-for-byte equality, case significant.
bool Equal(std::string_view a, std::string_view b) noexcept;

// The part of `path` after its last PathDelim (on Windows also ':'); the
// whole path when it holds none; "" when it ends with one. A delimiter byte
// that is the trail byte of a double-byte character is not a delimiter.
std::string FileNamePart(std::string_view path);

// The first n bytes of `text`; all of it when n >= its length; "" when n <= 0.
std::string LeadingPart(std::string_view text, int n);

// `value` in decimal: "-" for negatives, no leading zeros, no separators.
std::string DecimalText(std::int32_t value);

// `tmpl` with each "%s" replaced, left to right, by the next of `texts`,
// inserted unchanged. A "%s" left over when the texts run out becomes "";
// any other '%' is copied as it stands.
std::string FillTemplate(std::string_view tmpl, std::initializer_list<std::string_view> texts);

}  // namespace dt

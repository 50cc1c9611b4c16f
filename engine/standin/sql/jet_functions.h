// The SQLite application functions that carry Jet's operator rules, as the
// translator emits them:
//   jet_add(a, b)     Jet's +: NULL if either side is NULL; text + text
//                     joins; numbers add; a number with a numeric text adds;
//                     any other text with a number is a data type mismatch.
//   jet_concat(a, b)  Jet's &: joins the texts of both sides, NULL counting
//                     as empty text; NULL only when both sides are NULL.
//   jet_cdate(a)      Jet's cdate: a text that is a date as cdate.h reads
//                     it, that date as 'YYYY-MM-DD'; NULL fails with "Invalid
//                     use of Null"; anything else is a data type mismatch
//                     whose message quotes the value.
//   jet_iif(c, a, b)  Jet's IIf: a where c is true, else b (NULL is false);
//                     all three are evaluated, as the system's IIf does.
//   jet_text_key(a)   The key a comparison of text compares (text_key.h);
//                     NULL gives NULL.
//   jet_like_pattern(p)  A pattern of Jet's LIKE as an SQLite GLOB pattern:
//                     # becomes [0-9] and [!...] becomes [^...]; * ? and
//                     [...] mean the same in both. Matching counts letter
//                     case and trailing spaces, unlike the engine's
//                     comparisons of text (text_comparison.h).
#pragma once

#include <sqlite3.h>

#include "engine/text_key.h"

#include <string>
#include <string_view>

namespace dt::engine::standin {

// The text of `value` as SQLite gives it (a number as its digits); empty for
// NULL. Valid until the value changes.
std::string_view TextOf(sqlite3_value* value);

// Registers the functions on `db`. Raises engine::Error when SQLite refuses.
void RegisterJetFunctions(sqlite3* db);

}  // namespace dt::engine::standin

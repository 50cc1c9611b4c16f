// The code clean-up pass: the code columns of nine tables (the imported
// ones and the derived KMYE, PZ and aidInfo) lose their dots. Every row gets,
// in each column its entry sets, its own value trimmed (bytes <= 32 at both
// ends) with every "." replaced by "0". NewCode is never rewritten.
//
// A NULL code becomes empty text only where the host's own clean-up, which
// finds each row by the values of its WHERE part, reaches the row: in the
// four tables found by keys of their own (BOOK by BOOKNO, BOOKDETAIL by
// BOOKNO and LINE, PZ by flxh, remain by ID) when those keys hold values.
// Tables found by their codes (and KMYE by NewCode and its codes) never
// match a NULL, so there a NULL code stays NULL, as a host asking
// "is null" expects.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "src/model/export_model.h"
#include "src/workdb/build_events.h"

namespace dt {

class Connection;

// The cleaned form of one stored value (UTF-8 or code page 936 text alike).
std::string CleanCode(std::string_view value);

// REQUIRES: `connection` open on the work database.
// Cleans the nine tables in order. A missing table or column raises
// EOleException with the engine's message and ends the build there: the
// tables already cleaned stay cleaned, the rest are not touched. Rows are
// found by their own identity and no value enters SQL text, so quotes and
// shared keys make no difference; NULL keys only keep NULL codes NULL.
void CleanUpCodes(Connection& connection, BuildEvents& events);

}  // namespace dt

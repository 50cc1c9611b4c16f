// The code clean-up pass: the code columns of nine tables (the imported
// ones and the derived KMYE, PZ and aidInfo) lose their dots. Every row gets,
// in each column its entry sets, its own value trimmed (bytes <= 32 at both
// ends) with every "." replaced by "0"; a NULL becomes empty text. NewCode is
// never rewritten.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "src/workdb/build_events.h"

namespace dt {

class Connection;

struct CleanupEntry {
  std::string table;
  std::vector<std::string> read_columns;  // must all exist
  std::vector<std::string> set_columns;   // the columns rewritten
};

// The nine entries, in the order the pass takes them.
const std::vector<CleanupEntry>& CleanupEntries();

// The cleaned form of one stored value (UTF-8 or code page 936 text alike).
std::string CleanCode(std::string_view value);

// REQUIRES: `connection` open on the work database.
// Cleans the nine tables in order. A missing table or column raises
// EOleException with the engine's message and ends the build there: the
// tables already cleaned stay cleaned, the rest are not touched. Rows are
// found by their own identity and no value enters SQL text, so quotes,
// shared keys and NULL keys make no difference.
void CleanUpCodes(Connection& connection, BuildEvents& events);

}  // namespace dt

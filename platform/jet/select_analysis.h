// Facts about a parsed SELECT that the engine needs before running it: the
// tables it reads, and whether its rows are rows of one table.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/jet/ast.h"

namespace dt::jet {

// Every table named in the FROM part, in order of appearance.
std::vector<std::string> TablesRead(const Select& select);

// For a SELECT whose every row is one row of one table (a single table, no
// DISTINCT, grouping or aggregate): the table and the name it goes by in the
// statement (its alias, else its name). nullopt otherwise.
struct SingleTable {
  std::string table;
  std::string reference;
};
std::optional<SingleTable> SingleTableOf(const Select& select);

}  // namespace dt::jet

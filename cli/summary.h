// The tool's summary of a completed run: each table the run made in the
// work database, with its number of rows.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace dt {
class Connection;
}

namespace dt::cli {

// The tables a run over `source_list` makes: one per source file (its file
// name less the extension's 4 characters), then KMYE, PZ and aidInfo; each
// name once, in that order (ANSI).
std::vector<std::string> RunTables(const std::vector<std::string>& source_list);

// REQUIRES: `connection` names the work database (a closed connection is
// opened by the first query). Writes one line per table, "table <name>
// <rows>" (UTF-8), or "table <name> missing" when it cannot be counted.
// Raises nothing for a missing table.
void PrintTableSummary(Connection& connection, const std::vector<std::string>& source_list,
                       std::ostream& out);

}  // namespace dt::cli

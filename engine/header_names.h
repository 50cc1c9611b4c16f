// The column names a text file's header line gives its table: the one
// naming rule of both engines. The stand-in's text driver names an imported
// table's columns by it, and the work-database build writes the same names
// into schema.ini for the host's provider, so that neither engine meets an
// empty or a repeated name.
#pragma once

#include <string>
#include <vector>

namespace dt::engine {

// The column names for the fields of a header line (UTF-8), in order: each
// name trimmed of surrounding spaces and tabs; an empty name becomes
// F<position> (F1, F2 ...); a name equal to an earlier one, ignoring ASCII
// case, gets the smallest numeric suffix that makes it unique (NAME, NAME1,
// NAME2 ...). Linear in the number of fields, however many repeat a name.
std::vector<std::string> HeaderNames(const std::vector<std::string>& fields);

}  // namespace dt::engine

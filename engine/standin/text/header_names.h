// Header naming for the text driver: the column names a text file's first
// line gives its table.
#pragma once

#include <string>
#include <vector>

namespace dt::engine::standin {

// The column names for the fields of a header line (UTF-8), in order: each
// name trimmed of surrounding spaces and tabs; an empty name becomes
// F<position> (F1, F2 ...); a name equal to an earlier one, ignoring ASCII
// case, gets the smallest numeric suffix that makes it unique (NAME, NAME1,
// NAME2 ...). Linear in the number of fields, however many repeat a name.
std::vector<std::string> HeaderNames(const std::vector<std::string>& fields);

}  // namespace dt::engine::standin

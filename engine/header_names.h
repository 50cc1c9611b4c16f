// The column names a text file's header line gives its table: the one
// naming rule of both engines. The stand-in's text driver names an imported
// table's columns by it, and the work-database build writes the same names
// into schema.ini for the host's provider, so that neither engine meets an
// empty or a repeated name.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace dt::engine {

// The most characters of a field name the host's engine takes.
inline constexpr std::size_t kMostNameCharacters = 64;

// The column names for the fields of a header line (UTF-8), in order: each
// name trimmed of surrounding spaces and tabs; every character the host's
// engine refuses in a name (a control character, . ! ` [ ]) or that code
// page 936 lacks (schema.ini is written in it) made '_'; cut to
// kMostNameCharacters; an empty name becomes F<position> (F1, F2 ...); a
// name equal to an earlier one, ignoring ASCII case, gets the smallest
// numeric suffix that makes it unique (NAME, NAME1, NAME2 ...), cut shorter
// where the suffix would not fit. Linear in the number of fields, however
// many repeat a name.
std::vector<std::string> HeaderNames(const std::vector<std::string>& fields);

}  // namespace dt::engine

// The text driver's import: one text file of a text data source becomes a
// new table of a work database, every column TEXT, in one transaction.
#pragma once

#include <cstdint>
#include <string>

#include "platform/jet/sqlite_db.h"

namespace dt::jet {

// Imports the file at `file_path` (UTF-8) into `target` as table `table`,
// with the columns of its header line and one row per record; an empty field
// is NULL. Returns the number of rows. Raises jet::Error when the table
// exists already ("Table 'T' already exists"), when the file cannot be read,
// or when a row cannot be stored (naming the file and line). On failure the
// target is left as it was: no table, no rows.
std::int64_t ImportTextFile(Database& target, const std::string& table,
                            const std::string& file_path);

}  // namespace dt::jet

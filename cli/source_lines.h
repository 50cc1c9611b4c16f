// Where in the export a row of the work database came from: the line of its
// source file on which the row's record starts.
//
// The import stores a staged file's records in file order, one row each, so
// a row's place in its table is its record's place in the staged file, and
// the staged file keeps the source's lines one for one (only the first, the
// header, is replaced). Records are not lines: a quoted field may hold line
// breaks and empty lines make no record, so the staged file is read again by
// the text driver's own reader, which counts lines as the import did. The
// reading stops at the last record asked for.
#pragma once

#include <string>
#include <vector>

#include "cli/join_report.h"

namespace dt::cli {

// Sets `line` of each of `rows` (any order, repeats allowed) from the staged
// file `utf8_path`; a row past the file's last record keeps line 0. Raises
// std::runtime_error when the file cannot be read.
void FindSourceLines(const std::string& utf8_path, std::vector<BrokenReference*> rows);

}  // namespace dt::cli

// Where in the export a row of the work database came from: the line of its
// source file on which the row's record starts.
//
// The import stores a staged file's records in file order, one row each, so
// a row's place in its table is its record's place in the staged file, and
// the staged file keeps the source's lines one for one (only the first, the
// header, is replaced). Records are not lines: a quoted field may hold line
// breaks and empty lines make no record, so the staged file is scanned
// again by the text driver's rules (text_reader.h): fields separated by
// commas, a field that starts with a quote quoted up to its closing quote
// ("" inside is one quote), records ended by CR LF, a lone CR or a lone LF
// outside quotes, empty lines skipped, line breaks inside quotes counted as
// lines, CR LF once. Only the bytes that end fields, lines and quotes are
// looked at, nothing is decoded, and the scan stops at the last record asked
// for.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/join_report.h"

namespace dt::cli {

// Sets `line` of each of `rows` (any order, repeats allowed) from the staged
// file `utf8_path`, read in blocks of `block_size` bytes; a row past the
// file's last record keeps line 0. Raises std::runtime_error when the file
// cannot be read.
void FindSourceLines(const std::string& utf8_path, std::vector<BrokenReference*> rows,
                     std::size_t block_size = std::size_t{1} << 20);

}  // namespace dt::cli

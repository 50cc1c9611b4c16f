// The export generator: a realistic export of the accounting system at any
// scale, for benchmarks and end-to-end tests. It writes the seven known
// tables (ACCOUNTSECTIONS.TXT, BOOK.TXT, BOOKDETAIL.TXT, BUDGETSECTION.TXT,
// ITEM.TXT, LOAN.TXT, REMAIN.TXT) into a folder, in code page 936 with CR LF
// line ends, each under an exporter's own first line and with its data
// columns in the order of the source table catalogue.
//
// The same options always give the same bytes. Output is streamed: memory
// depends on the number of accounts, budget sections and items (capped at a
// few thousand), never on the number of voucher lines.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace dt::bench {

struct ExportOptions {
  std::uint64_t lines = 100000;  // voucher lines in BOOKDETAIL.TXT
  std::uint64_t seed = 1;
};

// Data rows written per file name (the exporter's first line not counted).
using ExportCounts = std::map<std::string, std::uint64_t>;

// Writes the seven files into `out_dir`, creating the folder when missing
// and replacing files of the same names. Raises std::runtime_error naming
// the file that cannot be created or written.
ExportCounts GenerateExport(const ExportOptions& options, const std::string& out_dir);

}  // namespace dt::bench

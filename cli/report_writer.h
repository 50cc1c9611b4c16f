// What the tool tells of the joins that did not hold: one summary line per
// relation, and the whole list as a file people open in a spreadsheet (CSV)
// or a browser (HTML). All text is UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/join_report.h"

namespace dt::cli {

// The rows a summary line quotes: for each relation, the first row of each
// of its first kExamples distinct values.
std::vector<BrokenReference*> ExampleRows(JoinCheck& check);

// One line per relation that did not hold, in relation order, none when all
// hold: "PZ: 12 voucher lines whose account (SID) is not in ACCOUNTSECTIONS,
// e.g. 101.9.3 (line 4,211 of BOOKDETAIL.TXT)"; a row whose line is unknown
// is named by its place in its table ("row 17 of BOOKDETAIL").
std::vector<std::string> SummaryLines(const JoinCheck& check);

// Every broken reference, one row each, under the header row "table,key,
// missing value,not found in,source file,line": a UTF-8 byte-order mark
// first (spreadsheets read UTF-8 only with one), fields quoted where they
// need it, lines ended by CR LF. An unknown line is left empty.
std::string CsvReport(const JoinCheck& check);

// The same as one self-contained page: the counts first, then a table per
// relation that did not hold.
std::string HtmlReport(const JoinCheck& check);

// True when `utf8_path` ends in ".html" or ".htm" (any letter case).
bool IsHtmlReportName(std::string_view utf8_path);

// Writes `bytes` as the file `utf8_path` through a temporary sibling renamed
// into place, so a reader never sees half a report and a failed write leaves
// any earlier file as it was. Raises std::runtime_error "cannot write the
// report <path>: <system text>", or "...: it is not a regular file" when
// something other than a regular file (a device, a pipe) stands there.
void WriteReportFile(const std::string& utf8_path, std::string_view bytes);

}  // namespace dt::cli

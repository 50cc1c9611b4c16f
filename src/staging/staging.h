// Staging of one source file: the file is copied into the staging directory
// with its first line replaced by its table's column header line, ready for
// the import. The source file is only read.
#pragma once

#include <string>

namespace dt {

// REQUIRES: `staging_directory` names the staging folder and ends with
// PathDelim.
// Writes staging_directory + file name, and returns the file name (the file
// name part of
// `source_path`, letter case as found). The staged file holds the header
// line of the catalogue entry (a name none of the seven keeps its own first
// line), then the source's lines 2 onward, each ending with CR LF. It is
// written to a temporary sibling first and only replaces the staged path
// when whole. Memory does not grow with the file.
// Raises:
//   Exception "Cannot copy file "<source>" to "<staged>". <system text>"
//     when the source cannot be opened or read, or is the staged file
//     itself (the source is never written);
//   EStringListError "List index out of bounds (0)" when the source has no
//     line at all (empty, or its first byte is zero);
//   EFCreateError naming the staged path when it cannot be created or put
//     in place; EWriteError "Stream write error" on a failed write.
// After any error the staged path is left as it was.
std::string StageFile(const std::string& source_path, const std::string& staging_directory);

}  // namespace dt

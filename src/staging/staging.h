// Staging of one source file: the file is copied into the staging directory
// with its first line replaced by its table's column header line, ready for
// the import. The source file is only read.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/encoding_detection.h"
#include "src/staging/column_scan.h"
#include "src/staging/source_encoding.h"

namespace dt {

// What the text driver is to be told of a staged file (src/workdb/schema_ini.h).
struct StagedFile {
  std::string file_name;  // the file name part of the source, letter case as found
  // The fields of its header record as the driver reads them, bytes of the
  // file (a UTF-8 file's byte-order mark left out); nullopt when they are
  // longer than any header line the driver takes (kLongestHeaderLine).
  std::optional<std::vector<std::string>> header_fields;
  platform::TextEncoding encoding;  // what its bytes are read as
  // Per header field: the column holds a value longer than the provider's
  // Text field takes (column_scan.h).
  std::vector<bool> long_columns = {};
};

// REQUIRES: `staging_directory` names the staging folder and ends with
// PathDelim.
// Writes staging_directory + file name and returns what the text driver is
// to be told of it, gathered as the staged bytes pass (no second read).
// The staged file holds the header line of the catalogue entry (a name
// none of the seven keeps its own first line), then the source's lines 2
// onward, each ending with CR LF. It is written to a temporary sibling
// first and only replaces the staged path when whole. Memory does not grow
// with the file. Its encoding is the one `encoding` names, or under kAuto
// the one its staged bytes tell, code page 936 for bytes of ASCII alone
// (they read the same either way).
// Raises:
//   Exception "Cannot copy file "<source>" to "<staged>". <system text>"
//     when the source cannot be opened or read, or is the staged file
//     itself (the source is never written);
//   EStringListError "List index out of bounds (0)" when the source has no
//     line at all (empty, or its first byte is zero);
//   EFCreateError naming the staged path when it cannot be created or put
//     in place; EWriteError "Stream write error. <system text>" on a
//     failed write (the disk full, the file too large).
// After any error the staged path is left as it was.
StagedFile StageFile(const std::string& source_path, const std::string& staging_directory,
                     SourceEncoding encoding = SourceEncoding::kAuto);

// Writes `bytes` as the file at `path`, replacing it only when whole, with
// the errors of StageFile's writing (EFCreateError, EWriteError).
void WriteStagedFile(const std::string& path, std::string_view bytes);

}  // namespace dt

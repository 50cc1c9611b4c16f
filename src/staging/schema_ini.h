// The text driver's description of the staged files: schema.ini in the
// staging folder, one section per staged file, which the host's provider
// reads whenever it opens a staged file (and the stand-in's text driver, for
// the character set). Left to itself, the provider guesses each column's
// type from the first rows and reads codes such as 001 or 101.10 as numbers,
// losing their zeros and dots; so every column is declared Text, every row
// is scanned and the file's character set is named.
#pragma once

#include <string>

#include "src/staging/staging.h"

namespace dt {

// The description's file name in the staging folder. It is no .txt file, so
// discovery never takes it for an export.
inline constexpr char kSchemaFileName[] = "schema.ini";

// The section describing `file`, every line ending with CR LF:
//   [<file name>]
//   ColNameHeader=True
//   Format=CSVDelimited
//   MaxScanRows=0
//   CharacterSet=936          (65001 for a file read as UTF-8)
//   Col1="<name>" Text        one line per column of its header line
// The names are the header line's fields (comma separated; a field that
// starts with a double quote is quoted, "" inside it being one quote),
// trimmed (text_utils.h), an empty one named F<position>; in ANSI, as
// the whole file is, a double quote inside a name doubled. A file whose
// header line is empty or too long to keep gets no column lines.
std::string SchemaSection(const StagedFile& file);

}  // namespace dt

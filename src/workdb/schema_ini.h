// The text driver's description of the staged files: schema.ini in the
// staging folder, one section per staged file, which the host's provider
// reads whenever it opens a staged file (and the stand-in's text driver, for
// the character set). Left to itself, the provider guesses each column's
// type from the first rows and reads codes such as 001 or 101.10 as numbers,
// losing their zeros and dots; so every column is declared text, every row
// is scanned and the file's character set is named. Its Text type holds 255
// characters and cuts a longer value, so a column that holds one is
// declared LongChar. The columns are named as the stand-in's text driver
// names them (engine/header_names.h), so that neither engine meets an empty
// or a repeated name.
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
//   Col1="<name>" Text        one line per header field; LongChar for a
//                             column of file.long_columns
// The names are HeaderNames of the header fields read in the file's
// encoding; in ANSI, as the whole file is, a double quote inside a name
// doubled. Where that conversion changes a name (a character the code page
// lacks becomes '?'; a line break, which would end the line, a space) the
// names are made distinct again by the same rule. A file without header
// fields gets no column lines.
std::string SchemaSection(const StagedFile& file);

}  // namespace dt

// The imports: every source file staged into the staging folder, described
// in schema.ini and imported into the work database as a table through the
// engine's text driver, in the order of the source list.
#pragma once

#include <string>
#include <vector>

#include "src/staging/source_encoding.h"
#include "src/workdb/build_events.h"

namespace dt {

class Connection;
struct WorkPaths;

// The table the import makes of a staged file: its file name less its last
// four characters (".txt"), letter case as found.
std::string ImportedTableName(const std::string& file_name);

// The import statement of a staged file, for its ImportedTableName; the
// values are joined in as they stand, so a name the engine cannot take (one
// holding a space) gives a statement that fails.
std::string ImportStatement(const std::string& file_name, const std::string& work_database);

// For each source entry, in order: progress +10, stage it (its encoding
// decided by `encoding`), close the connection, describe the staged file in
// schema.ini (schema_ini.h), open the connection on the staging folder and
// import the staged file through the statement runner (a failed import is
// logged; the next file goes on). schema.ini describes the file being
// imported alone, so that each write is one section long however many files
// there are; after the last import the connection is closed and schema.ini
// describes every staged file of the run; with no source entry, none is
// written. Staging failures, a schema.ini that cannot be written and a text
// connection that cannot be opened end the build (the error propagates).
void ImportSources(const WorkPaths& paths, const std::vector<std::string>& source_list,
                   Connection& connection, BuildEvents& events,
                   SourceEncoding encoding = SourceEncoding::kAuto);

}  // namespace dt

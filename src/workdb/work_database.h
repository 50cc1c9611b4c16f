// The first phase of the build: a fresh work database copied from the
// template, every source file staged and imported into it as a table through
// the engine's text driver, and the connection switched to the work database.
//
// The fixed folder and file names under the base directory (DataBase,
// empty.mdb, TemplateTemp) are found ignoring letter case; both folders must
// exist before the build: it creates none.
#pragma once

#include <string>
#include <vector>

#include "src/workdb/build_events.h"

namespace dt {

class Connection;

struct WorkPaths {
  std::string template_database;  // base + DataBase + empty.mdb
  std::string work_database;      // base + TemplateTemp + KORVA.mdb
  std::string text_connection;    // the staging folder, read by the text driver
  std::string work_connection;    // the work database
};

// REQUIRES: `base_directory` ends with PathDelim. Paths are joined with
// PathDelim after the base, so they hold a doubled delimiter there, as the
// host's own paths do.
WorkPaths MakeWorkPaths(const std::string& base_directory);

// The import statement of a staged file: its table is the file name less its
// last four characters; the values are joined in as they stand, so a name
// the engine cannot take (one holding a space) gives a statement that fails.
std::string ImportStatement(const std::string& file_name, const std::string& work_database);

// Replaces the work database with a copy of the template. Raises Exception
// "Cannot copy file "<template>" to "<work database>". <system text>" when
// the copy fails: a work database left by an earlier run must never be
// taken for this run's. The engine's journal left beside it by a run cut
// short is removed first, so it cannot be played back into the fresh copy.
void CopyTemplate(const WorkPaths& paths);

// For each source entry, in order: progress +10, stage it, reopen the
// connection on the staging folder and import the staged file through the
// statement runner (a failed import is logged; the next file goes on).
// Staging failures and a text connection that cannot be opened end the
// build (the error propagates).
void ImportSources(const std::string& base_directory, const WorkPaths& paths,
                   const std::vector<std::string>& source_list, Connection& connection,
                   BuildEvents& events);

// Closes the connection and opens it on the work database; EOleException
// when that cannot be opened.
void ConnectWorkDatabase(const WorkPaths& paths, Connection& connection);

}  // namespace dt

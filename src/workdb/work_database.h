// The first phase of the build: a fresh work database copied from the
// template, every source file staged and imported into it as a table through
// the engine's text driver, and the connection switched to the work database.
//
// The fixed folder and file names under the base directory (DataBase,
// empty.mdb, TemplateTemp) are found ignoring letter case; both folders must
// exist before the build: it creates none.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "src/staging/source_encoding.h"
#include "src/workdb/build_events.h"

namespace dt {

class Connection;

// Every path and connection string of one run, made once when the run
// begins and handed down to whatever needs one.
struct WorkPaths {
  std::string staging_folder;     // base + TemplateTemp, without a trailing delimiter
  std::string staging_directory;  // base + TemplateTemp + delimiter: the staged files' folder
  std::string template_database;  // base + DataBase + empty.mdb
  std::string work_database;      // the staging directory + KORVA.mdb
  std::string text_connection;    // the staging folder, read by the text driver
  std::string work_connection;    // the work database
  // The work database as the run reports it. Where the file system ignores
  // letter case, the path the host is promised, StagingDirectoryFor(base) +
  // "KORVA.mdb", which names the file the build wrote whatever the folder's
  // spelling on disk; elsewhere the file as it exists, without which the
  // path would not open.
  std::string result_path;
};

// REQUIRES: `base_directory` ends with PathDelim. The staging directory and
// the database paths are joined with PathDelim after the base, so they hold
// a doubled delimiter there, as the host's own paths do; the staging folder
// and the result path, which name the folder in messages, to the OS and to
// the caller, do not. Both connection strings are the host's own: the text
// driver learns each staged file's encoding from schema.ini.
WorkPaths MakeWorkPaths(const std::string& base_directory);

// The staging directory as the host is told it: base + "TempLateTemp" +
// PathDelim, capital L included.
std::string StagingDirectoryFor(std::string_view base_directory);

// The table the import makes of a staged file: its file name less its last
// four characters (".txt"), letter case as found.
std::string ImportedTableName(const std::string& file_name);

// The import statement of a staged file, for its ImportedTableName; the
// values are joined in as they stand, so a name the engine cannot take (one
// holding a space) gives a statement that fails.
std::string ImportStatement(const std::string& file_name, const std::string& work_database);

// Replaces the work database with a copy of the template. Raises Exception
// "Cannot copy file "<template>" to "<work database>". <system text>" when
// the copy fails: a work database left by an earlier run must never be
// taken for this run's. The engine's journal left beside it by a run cut
// short is removed first, so it cannot be played back into the fresh copy.
void CopyTemplate(const WorkPaths& paths);

// Sets the connection's engine to the one this form opens the template
// with, told by the template's own first bytes (database_format.h), before
// anything is copied. REQUIRES: the connection is closed. Raises Exception
// naming the template when it is not a regular file, when this form cannot
// read its format (an Access file on POSIX; an ACE file, which the host's
// Jet 4.0 provider cannot open, on either form; the message names the
// format), or when an SQLite template has a write-ahead log or a rollback
// journal with content beside it (naming that file and how to settle it);
// EFOpenError when the template cannot be read.
void ChooseEngine(const WorkPaths& paths, Connection& connection);

// For each source entry, in order: progress +10, stage it (its encoding
// decided by `encoding`), close the connection, describe the staged file in
// schema.ini (schema_ini.h), reopen the connection on the staging folder and
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

// Closes the connection and opens it on the work database; EOleException
// when that cannot be opened.
void ConnectWorkDatabase(const WorkPaths& paths, Connection& connection);

// Ends the build's work on the work database: flushes the file to disk
// while the connection still holds it, then closes the connection. Raises
// Exception "Cannot write "<work database>" to disk. <system text>" when
// the flush fails, and what closing raises; success means every table the
// build made survives a crash of the program or a power loss from then on.
void SaveWorkDatabase(const WorkPaths& paths, Connection& connection);

}  // namespace dt

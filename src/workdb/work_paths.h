// The paths of one run under its base directory: the template database,
// the staging folder and the work database in it, and the connection
// strings that name them.
//
// The fixed folder and file names under the base directory (DataBase,
// empty.mdb, TemplateTemp) are found ignoring letter case; both folders must
// exist before the build: it creates none.
#pragma once

#include <string>
#include <string_view>

namespace dt {

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

}  // namespace dt

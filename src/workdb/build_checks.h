// What the build makes sure of before it does the work a stale or doubled
// table would waste: every table it will make is made by this run, from one
// source file. A table that already stood in the work database would make
// its import or derivation fail ("already exists") and pass the old table
// off as this run's result; two exports for one table would leave the one
// the file system happened to list first.
#pragma once

#include <string>
#include <vector>

namespace dt {

class Connection;
struct WorkPaths;

// Raises Exception, before anything is staged, when the import statement of
// an entry of `source_list` would read another file of the run than the
// entry's own staged copy (another entry's, a catalogue table's, or one the
// staging folder holds), as the engine reads the statement (a name with a
// space, a bracket or a second dot in it may name another file): "Source file
// "<path>" cannot be imported under its name: its import statement would
// read file "<file>""; when two entries give one table, as their
// statements read (file names equal ignoring letter
// case, for one): "Source files "<a>" and "<b>" would both be imported as table
// <name>", or, for two entries of one text (a file named in UTF-8 and one
// named by the same characters' code page 936 bytes), "Source files "<a>"
// (its name in UTF-8) and "<a>" (its name in code page 936) would both be
// imported as table <name>"; or when an entry gives a table the build
// derives (KMYE, PZ, aidInfo, letter case ignored): "Source file "<path>"
// would be imported as table <name>, which the build derives itself".
// Otherwise returns the table each entry would be imported as, in the
// order of `source_list`.
std::vector<std::string> CheckSourceTables(const WorkPaths& paths,
                                           const std::vector<std::string>& source_list);

// REQUIRES: the template `template_database` has just been copied to the
// work database, and `connection` is open on the work database;
// `imported_tables` is what CheckSourceTables returned for `source_list`.
// Raises Exception when the work database holds a table that the build
// makes whole and would leave standing in place of its own: a derived
// table made by SELECT ... INTO ("The template database "<template>"
// already holds table <name>, which the build derives itself"; KMYE and
// PZ, while aidInfo, which the build fills where it stands, may be there),
// or the table an entry of `source_list` would be imported as, letter case
// ignored ("The template database "<template>" already holds table <name>,
// which source file "<path>" would be imported as"). Leaves the connection
// open.
void CheckTemplateTables(const std::string& template_database,
                         const std::vector<std::string>& source_list,
                         const std::vector<std::string>& imported_tables, Connection& connection);

}  // namespace dt

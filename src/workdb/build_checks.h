// What the build makes sure of before it does the work a stale or doubled
// table would waste: every table it will make is made by this run, from one
// source file. A derived table that already stood in the work database
// would make its derivation fail ("already exists") and pass the old table
// off as this run's result; two exports for one table would leave the one
// the file system happened to list first.
#pragma once

#include <string>
#include <vector>

namespace dt {

class Connection;
struct WorkPaths;

// Raises Exception, before anything is staged, when two entries of
// `source_list` give one table (their file names equal ignoring letter
// case): "Source files "<a>" and "<b>" would both be imported as table
// <name>"; or when an entry gives a table the build derives (KMYE, PZ,
// aidInfo, letter case ignored): "Source file "<path>" would be imported
// as table <name>, which the build derives itself".
void CheckSourceTables(const std::vector<std::string>& source_list);

// REQUIRES: the template has just been copied to the work database.
// Opens `connection` on the work database and raises Exception when it
// holds a table the build derives: "The template database "<template>"
// already holds table <name>, which the build derives itself". Leaves the
// connection open.
void CheckTemplateTables(const WorkPaths& paths, Connection& connection);

}  // namespace dt

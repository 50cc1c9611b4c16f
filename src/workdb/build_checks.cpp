// The checks made before the build's work: one source file per table, and
// no derived table before its derivation.
#include "src/workdb/build_checks.h"

#include <map>
#include <optional>

#include "engine/import_statement.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "src/staging/catalogue.h"
#include "src/staging/text_utils.h"
#include "src/workdb/data_access.h"
#include "src/workdb/derived_tables.h"
#include "src/workdb/imports.h"
#include "src/workdb/work_paths.h"

namespace dt {
namespace {

// A table name as the engine matches it: ASCII letter case ignored. Folded
// in UTF-8, where no byte of a Chinese character can pass for a letter.
std::string TableKey(std::string_view ansi_name) {
  return platform::AsciiUpperCase(platform::AnsiToUtf8(ansi_name));
}

bool IsDerivedTable(const std::string& ansi_name) {
  const std::string key = TableKey(ansi_name);
  for (const std::string_view derived : kDerivedTables) {
    if (key == TableKey(derived)) return true;
  }
  return false;
}

// aidInfo is created and then filled by two inserts: over a template's own
// aidInfo the creation fails (and is logged) and the inserts fill the table
// that stands, as they always have. KMYE and PZ are made whole by SELECT
// ... INTO, which cannot make them over a template's table: that stale
// table would pass for this run's.
bool FilledWhereItStands(std::string_view derived) { return derived == "aidInfo"; }

// Whether `file` (ANSI), which an import statement would read in place of
// its own source's staged copy, is a file of the run: the staged copy of a
// listed source or of a catalogue table, or a file the staging folder holds
// (a staged copy an earlier run left). The import would take its rows for
// the source's own.
bool IsRunFile(const WorkPaths& paths, const std::vector<std::string>& source_list,
               const std::string& file) {
  if (HeaderLineFor(file) != nullptr) return true;
  for (const std::string& source : source_list) {
    if (platform::EqualIgnoringAsciiCase(FileNamePart(source), file)) return true;
  }
  return platform::FileExists(paths.staging_directory +
                              platform::ResolveChild(paths.staging_directory, file));
}

// The table the import of `source` makes, as the engine reads its
// statement. Raises Exception when the statement would read a file of the
// run other than the source's staged copy. A statement that reads a file
// the run knows nothing of, or that the engine cannot read, fails when it
// runs, and is logged.
std::string ImportedTable(const WorkPaths& paths, const std::vector<std::string>& source_list,
                          const std::string& source) {
  const std::string file = FileNamePart(source);
  const std::optional<engine::ImportReading> reading =
      engine::ReadImportStatement(platform::AnsiToUtf8(ImportStatement(file, paths.work_database)));
  if (!reading) return ImportedTableName(file);
  const std::string read = platform::Utf8ToAnsi(reading->file);
  if (!platform::EqualIgnoringAsciiCase(read, file) && IsRunFile(paths, source_list, read)) {
    throw Exception("Source file \"" + source +
                    "\" cannot be imported under its name: its import statement would read "
                    "file \"" +
                    read + "\"");
  }
  return platform::Utf8ToAnsi(reading->table);
}

}  // namespace

std::vector<std::string> CheckSourceTables(const WorkPaths& paths,
                                           const std::vector<std::string>& source_list) {
  std::vector<std::string> tables;
  std::map<std::string, const std::string*> first_by_table;
  for (const std::string& source : source_list) {
    std::string table = ImportedTable(paths, source_list, source);
    if (IsDerivedTable(table)) {
      throw Exception("Source file \"" + source + "\" would be imported as table " + table +
                      ", which the build derives itself");
    }
    const auto [found, added] = first_by_table.emplace(TableKey(table), &source);
    if (!added) {
      // One text for two files: on POSIX one name is UTF-8 and the other the
      // same characters' code page 936 bytes, which read alike as ANSI text.
      if (*found->second == source) {
        throw Exception("Source files \"" + source + "\" (its name in UTF-8) and \"" + source +
                        "\" (its name in code page 936) would both be imported as table " + table);
      }
      throw Exception("Source files \"" + *found->second + "\" and \"" + source +
                      "\" would both be imported as table " + table);
    }
    tables.push_back(std::move(table));
  }
  return tables;
}

void CheckTemplateTables(const std::string& template_database,
                         const std::vector<std::string>& source_list,
                         const std::vector<std::string>& imported_tables, Connection& connection) {
  for (const std::string_view table : kDerivedTables) {
    if (!FilledWhereItStands(table) && connection.HasTable(std::string(table))) {
      throw Exception("The template database \"" + template_database + "\" already holds table " +
                      std::string(table) + ", which the build derives itself");
    }
  }
  for (std::size_t i = 0; i < source_list.size(); ++i) {
    const std::string& table = imported_tables.at(i);
    if (connection.HasTable(table)) {
      throw Exception("The template database \"" + template_database + "\" already holds table " +
                      table + ", which source file \"" + source_list[i] +
                      "\" would be imported as");
    }
  }
}

}  // namespace dt

// Row counts of the work database's tables, read through the run's own
// connection, opened again, after the run has completed and closed it.
#include "cli/summary.h"

#include <set>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "src/staging/text_utils.h"
#include "src/workdb/data_access.h"
#include "src/workdb/derived_tables.h"
#include "src/workdb/imports.h"

namespace dt::cli {

std::vector<std::string> RunTables(const std::vector<std::string>& source_list) {
  std::vector<std::string> tables;
  auto add = [&tables](std::string name) {
    const bool known = std::any_of(tables.begin(), tables.end(), [&name](const std::string& t) {
      return platform::AnsiEqualIgnoringAsciiCase(t, name);
    });
    if (!known && !name.empty()) tables.push_back(std::move(name));
  };
  for (const std::string& entry : source_list) add(ImportedTableName(FileNamePart(entry)));
  for (const std::string_view derived : kDerivedTables) add(std::string(derived));
  return tables;
}

void PrintTableSummary(Connection& connection, const std::vector<std::string>& source_list,
                       std::ostream& out) {
  for (const std::string& table : RunTables(source_list)) {
    const std::string name = platform::AnsiToUtf8(table);
    try {
      RowQuery query;
      query.SetConnection(connection);
      query.SetSQL("select count(*) as row_count from [" + table + "]");
      query.Open();
      out << "table " << name << ' ' << query.FieldByName("row_count").AsInteger() << '\n';
    } catch (const Exception&) {
      out << "table " << name << " missing\n";
    }
  }
}

}  // namespace dt::cli

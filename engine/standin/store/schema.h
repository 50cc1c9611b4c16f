// What the work database holds: its tables and their columns, looked up the
// way Jet names them (ASCII letter case ignored). The engine checks names
// itself before it runs a statement, so that a missing or existing table is
// reported in its own words.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/standin/store/sqlite_db.h"

namespace dt::engine::standin {

struct ColumnInfo {
  std::string name;
  std::string type;  // declared type, may be empty
  bool not_null = false;
  std::optional<std::string> default_sql;
  bool primary_key = false;
};

// The table's name as stored, or nullopt. `schema` is "main" or the name of
// an attached database.
std::optional<std::string> FindTable(const Database& db, std::string_view name,
                                     std::string_view schema = "main");

// Raise engine::Error "Table 'x' does not exist" / "Table 'x' already exists".
std::string RequireTable(const Database& db, std::string_view name,
                         std::string_view schema = "main");
void RequireNoTable(const Database& db, std::string_view name, std::string_view schema = "main");

// True when `name` is a table of the main database, not a view.
bool IsStoredTable(const Database& db, std::string_view name);

// How the rows of `table` are addressed one by one: "rowid", or "_rowid_"
// or "oid" when a column of the table takes that name. nullopt for a view, a
// WITHOUT ROWID table, or a table whose columns take all three names.
std::optional<std::string> RowIdName(const Database& db, std::string_view table);
// The same for a table known to have rowids, from its columns.
std::optional<std::string> RowIdName(const std::vector<ColumnInfo>& columns);

// The columns of an existing table, in table order.
std::vector<ColumnInfo> ColumnsOf(const Database& db, std::string_view table,
                                  std::string_view schema = "main");

// What SQLite keeps on the main database's table `table` besides its rows:
// its indexes, then its triggers, found as SQLite finds a table by name
// (ASCII letter case ignored), so that a trigger declared ON AIDINFO is
// aidInfo's. Each as its CREATE statement; an index SQLite made for a
// UNIQUE or PRIMARY KEY constraint has none, and is an empty text.
std::vector<std::string> IndexesAndTriggersOf(const Database& db, std::string_view table);

// Raises "Field 'c' does not exist in table 't'" unless `columns` holds `name`;
// returns its index.
std::size_t RequireColumn(const std::vector<ColumnInfo>& columns, std::string_view name,
                          std::string_view table);

}  // namespace dt::engine::standin

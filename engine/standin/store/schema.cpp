// Name look-ups in the work database's catalogue.
#include "engine/standin/store/schema.h"

#include "engine/error.h"
#include "engine/standin/sql/emitter.h"
#include "platform/codepage.h"

namespace dt::engine::standin {

namespace {

// SQLite's parsed catalogue finds a name by its hash, ASCII letter case
// ignored, where reading the catalogue's table reads every entry: a
// database may hold thousands of tables (one per file of an export), and
// every import and every statement looks names up.

// True when `name` is a table (not a view) of `schema`. Names that SQLite
// keeps for its own catalogue, and names holding a zero byte (which its C
// interface would read cut short), are left to the full look-up.
bool IsTableOf(const Database& db, std::string_view name, std::string_view schema) {
  if (name.find('\0') != std::string_view::npos ||
      platform::EqualIgnoringAsciiCase(name.substr(0, 7), "sqlite_")) {
    return false;
  }
  const std::string table(name);
  const std::string database(schema);
  return sqlite3_table_column_metadata(db.get(), database.c_str(), table.c_str(), nullptr, nullptr,
                                       nullptr, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// False when no table or view of `schema` is called `name`. True when there
// is one, or when the catalogue cannot tell.
bool MayExist(const Database& db, std::string_view name, std::string_view schema) {
  Statement probe(db, "SELECT 1 FROM pragma_table_info(?1, ?2) LIMIT 1");
  probe.BindText(1, name);
  probe.BindText(2, schema);
  try {
    return probe.Step();
  } catch (const Error& error) {
    if (IsSystemFailure(error.kind())) throw;
    return true;  // a view that cannot be read, say: the full look-up decides
  }
}

}  // namespace

std::optional<std::string> FindTable(const Database& db, std::string_view name,
                                     std::string_view schema) {
  if (IsTableOf(db, name, schema)) {
    // Its name as stored: SQLite gives it for the table a column comes from.
    Statement table(db, "SELECT * FROM " + QuoteName(schema) + "." + QuoteName(name));
    std::string stored = table.ColumnTableName(0);
    if (!stored.empty()) return stored;
  }
  if (!MayExist(db, name, schema)) return std::nullopt;
  Statement find(db, "SELECT name FROM " + QuoteName(schema) +
                         ".sqlite_schema WHERE type IN ('table', 'view') AND name = ?1 "
                         "COLLATE NOCASE ORDER BY name = ?1 DESC LIMIT 1");
  find.BindText(1, name);
  if (!find.Step()) return std::nullopt;
  return find.ColumnText(0);
}

std::string RequireTable(const Database& db, std::string_view name, std::string_view schema) {
  std::optional<std::string> found = FindTable(db, name, schema);
  if (!found)
    throw Error(ErrorKind::kMissingTable, "Table '" + std::string(name) + "' does not exist");
  return *found;
}

void RequireNoTable(const Database& db, std::string_view name, std::string_view schema) {
  if (FindTable(db, name, schema))
    throw Error(ErrorKind::kAlreadyExists, "Table '" + std::string(name) + "' already exists");
}

bool IsStoredTable(const Database& db, std::string_view name) {
  if (IsTableOf(db, name, "main")) return true;
  Statement kind(db, "SELECT type FROM sqlite_schema WHERE name = ?1 COLLATE NOCASE");
  kind.BindText(1, name);
  return kind.Step() && kind.ColumnText(0) == "table";
}

std::optional<std::string> RowIdName(const Database& db, std::string_view table) {
  if (!IsStoredTable(db, table)) return std::nullopt;
  std::optional<std::string> name = RowIdName(ColumnsOf(db, table));
  if (!name) return std::nullopt;
  // A name that is no column reads the rowid, unless the table has none.
  const std::string probe = "SELECT " + *name + " FROM " + QuoteName(table) + " LIMIT 0";
  sqlite3_stmt* stmt = nullptr;
  const bool ok = sqlite3_prepare_v2(db.get(), probe.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
  sqlite3_finalize(stmt);
  if (!ok) return std::nullopt;
  return name;
}

std::optional<std::string> RowIdName(const std::vector<ColumnInfo>& columns) {
  for (const char* name : {"rowid", "_rowid_", "oid"}) {
    bool taken = false;
    for (const ColumnInfo& column : columns) {
      taken = taken || platform::EqualIgnoringAsciiCase(column.name, name);
    }
    if (!taken) return name;
  }
  return std::nullopt;
}

std::vector<ColumnInfo> ColumnsOf(const Database& db, std::string_view table,
                                  std::string_view schema) {
  Statement info(db,
                 "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?1, ?2)");
  info.BindText(1, table);
  info.BindText(2, schema);
  std::vector<ColumnInfo> columns;
  while (info.Step()) {
    columns.push_back(ColumnInfo{info.ColumnText(0).value_or(""), info.ColumnText(1).value_or(""),
                                 info.ColumnInt(2) != 0, info.ColumnText(3),
                                 info.ColumnInt(4) != 0});
  }
  return columns;
}

std::vector<std::string> IndexesAndTriggersOf(const Database& db, std::string_view table) {
  // The trigger's tbl_name is spelled as its ON clause was; SQLite matches
  // it with the table's name as NOCASE compares.
  Statement find(db,
                 "SELECT coalesce(sql, '') FROM main.sqlite_schema WHERE type IN ('index', "
                 "'trigger') AND tbl_name = ?1 COLLATE NOCASE ORDER BY type = 'trigger'");
  find.BindText(1, table);
  std::vector<std::string> found;
  while (find.Step()) found.push_back(find.ColumnText(0).value_or(""));
  return found;
}

std::size_t RequireColumn(const std::vector<ColumnInfo>& columns, std::string_view name,
                          std::string_view table) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (platform::EqualIgnoringAsciiCase(columns[i].name, name)) return i;
  }
  throw Error(
      ErrorKind::kMissingField,
      "Field '" + std::string(name) + "' does not exist in table '" + std::string(table) + "'");
}

}  // namespace dt::engine::standin

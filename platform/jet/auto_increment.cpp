// ALTER TABLE ... ADD COLUMN c AUTOINCREMENT. SQLite cannot add a key column
// to a table that has rows, so the table is rebuilt with the new column as
// INTEGER PRIMARY KEY AUTOINCREMENT at the end, the rows copied in rowid
// order (and so numbered 1..n in table order), and its indexes and triggers
// made again.
#include "platform/jet/database_source.h"

#include "platform/jet/column_types.h"
#include "platform/jet/emitter.h"
#include "platform/jet/error.h"
#include "platform/jet/schema.h"

namespace dt::jet {
namespace {

std::string ColumnList(const std::vector<ColumnInfo>& columns) {
  std::string out;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) out += ", ";
    out += QuoteName(columns[i].name);
  }
  return out;
}

// The column as the rebuilt table declares it. Its type keeps a text
// field's size, and with it the check that holds values to that size.
std::string Definition(const ColumnInfo& column) {
  std::string out = QuoteName(column.name);
  if (!column.type.empty()) out += " " + column.type;
  if (const std::optional<int> size = DeclaredTextSize(column.type)) {
    out += " " + EmitFieldSizeCheck(column.name, *size);
  }
  if (column.not_null) out += " NOT NULL";
  if (column.default_sql) out += " DEFAULT " + *column.default_sql;
  return out;
}

// Renames as SQLite did before it checked and rewrote the whole schema, for
// its lifetime.
class LegacyRename {
 public:
  explicit LegacyRename(Database& db) : db_(db) { db_.Exec("PRAGMA legacy_alter_table = ON"); }
  ~LegacyRename() {
    sqlite3_exec(db_.get(), "PRAGMA legacy_alter_table = OFF", nullptr, nullptr, nullptr);
  }
  LegacyRename(const LegacyRename&) = delete;
  LegacyRename& operator=(const LegacyRename&) = delete;

 private:
  Database& db_;
};

std::string FreeTableName(const Database& db, const std::string& table) {
  std::string name = table + "_jet_rebuild";
  while (FindTable(db, name)) name += "_";
  return name;
}

}  // namespace

void AddAutoIncrementColumn(Database& db, const std::string& table, const std::string& column) {
  const std::vector<ColumnInfo> columns = ColumnsOf(db, table);
  for (const ColumnInfo& existing : columns) {
    if (existing.primary_key) {
      throw Error(ErrorKind::kUnsupported, "Cannot add the auto-increment field '" + column +
                                               "' to table '" + table +
                                               "': the table already has a primary key");
    }
  }
  std::vector<std::string> dependents;
  {
    Statement find(db,
                   "SELECT sql FROM sqlite_schema WHERE type IN ('index', 'trigger') AND "
                   "tbl_name = ?1 AND sql IS NOT NULL ORDER BY type = 'trigger'");
    find.BindText(1, table);
    while (find.Step()) dependents.push_back(find.ColumnText(0).value_or(""));
  }

  // Table order is rowid order, whatever the table's own columns are named.
  const std::optional<std::string> row_id = RowIdName(db, table);
  if (!row_id) {
    throw Error(ErrorKind::kUnsupported, "Cannot add the auto-increment field '" + column +
                                             "' to table '" + table +
                                             "': its rows have no order to number them in");
  }
  Transaction transaction(db);
  const std::string rebuilt = FreeTableName(db, table);
  std::string create = "CREATE TABLE " + QuoteName(rebuilt) + " (";
  for (const ColumnInfo& existing : columns) create += Definition(existing) + ", ";
  create += QuoteName(column) + " INTEGER PRIMARY KEY AUTOINCREMENT)";
  db.Exec(create);
  const std::string list = ColumnList(columns);
  if (!columns.empty()) {
    db.Exec("INSERT INTO " + QuoteName(rebuilt) + " (" + list + ") SELECT " + list + " FROM " +
            QuoteName(table) + " ORDER BY " + *row_id);
  }
  db.Exec("DROP TABLE " + QuoteName(table));
  {
    // Views that read the table name it, not the rebuilt copy: the rename
    // must neither rewrite them nor refuse because, for a moment, the name
    // they read is gone.
    const LegacyRename legacy(db);
    db.Exec("ALTER TABLE " + QuoteName(rebuilt) + " RENAME TO " + QuoteName(table));
  }
  for (const std::string& sql : dependents) db.Exec(sql);
  transaction.Commit();
}

}  // namespace dt::jet

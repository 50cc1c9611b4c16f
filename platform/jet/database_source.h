// A work database opened by a Session: Jet statements are parsed, checked
// against the catalogue (tables that must or must not exist, named fields),
// translated and run on SQLite. A failed statement changes nothing: each
// runs alone or inside its own transaction.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/jet/data_source.h"
#include "platform/jet/sqlite_db.h"

namespace dt::jet {

class DatabaseSource : public DataSource {
 public:
  // Opens the existing database file `path`; raises jet::Error naming it.
  explicit DatabaseSource(const std::string& path);
  ~DatabaseSource() override;

  std::int64_t Execute(std::string_view sql) override;
  Snapshot Query(std::string_view sql) override;
  void UpdateRow(const Snapshot& snapshot, std::size_t row,
                 const std::vector<Session::Change>& changes) override;
  void RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                      const std::vector<std::string>& set_columns,
                      const Session::Rewrite& rewrite) override;

 private:
  // A row update's statement, checked against the catalogue and prepared.
  struct RowUpdate {
    std::string table;                 // as the snapshot names it
    std::string stored_table;          // as the database does
    std::vector<std::string> columns;  // the snapshot's fields it sets, in order
    Statement statement;
  };
  RowUpdate PrepareRowUpdate(const Snapshot& snapshot, const std::vector<Session::Change>& changes);
  bool Fits(const RowUpdate& update, const Snapshot& snapshot,
            const std::vector<Session::Change>& changes) const;
  void RunRowUpdate(RowUpdate& update, std::int64_t row_id,
                    const std::vector<Session::Change>& changes);

  Database db_;
  // The last row update, kept while no statement runs in between: rows
  // posted one after another (each account's new code) then skip the
  // catalogue and the translation. Statements that change the catalogue all
  // run through Execute, which lets it go.
  std::optional<RowUpdate> last_row_update_;
};

// Adds an auto-increment column `column` to `table`: the rows that exist get
// 1..n in table order, later inserts go on from there. REQUIRES: the table
// exists and lacks the column. One transaction; nothing changes on failure.
void AddAutoIncrementColumn(Database& db, const std::string& table, const std::string& column);

}  // namespace dt::jet

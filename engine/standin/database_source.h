// A work database opened by the stand-in engine: Jet statements are parsed, checked
// against the catalogue (tables that must or must not exist, named fields),
// translated and run on SQLite. A failed statement changes nothing: each
// runs alone or inside its own transaction. The calls and their contracts
// are those of engine.h (standin_engine.h adds what this engine does).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.h"
#include "engine/jetsql/ast.h"
#include "engine/standin/store/sqlite_db.h"

namespace dt::engine::standin {

class DatabaseSource {
 public:
  // Opens the existing database file `path`; raises engine::Error naming it.
  explicit DatabaseSource(const std::string& path);
  // Syncs the file to the disk as it closes it.
  ~DatabaseSource();

  std::int64_t Execute(std::string_view sql);
  Snapshot Query(std::string_view sql);
  void UpdateRow(const Snapshot& snapshot, std::size_t row, const std::vector<Change>& changes);
  void RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                      const std::vector<std::string>& set_columns,
                      const std::vector<std::string>& keys, const Rewrite& rewrite);
  bool HasTable(std::string_view table);

 private:
  // One statement of each kind, checked against the catalogue and run;
  // `parsed` is the whole statement, whose text comparisons get marked.
  std::int64_t Run(Select& statement, ParsedStatement& parsed);
  std::int64_t Run(Insert& statement, ParsedStatement& parsed);
  std::int64_t Run(Update& statement, ParsedStatement& parsed);
  std::int64_t Run(Delete& statement, ParsedStatement& parsed);
  std::int64_t Run(CreateTable& statement, ParsedStatement& parsed);
  std::int64_t Run(AddColumn& statement, ParsedStatement& parsed);
  std::int64_t Run(DropTable& statement, ParsedStatement& parsed);

  // Query's work once the statement is known to be a SELECT.
  Snapshot TakeSnapshot(Select& select, ParsedStatement& parsed);

  // A row update's statement, checked against the catalogue and prepared.
  struct RowUpdate {
    std::string table;                 // as the snapshot names it
    std::string stored_table;          // as the database does
    std::vector<std::string> columns;  // the snapshot's fields it sets, in order
    Statement statement;
  };
  RowUpdate PrepareRowUpdate(const Snapshot& snapshot, const std::vector<Change>& changes);
  bool Fits(const RowUpdate& update, const Snapshot& snapshot,
            const std::vector<Change>& changes) const;
  void RunRowUpdate(RowUpdate& update, std::int64_t row_id, const std::vector<Change>& changes);

  Database db_;
  // The last row update, kept while no statement runs in between: rows
  // posted one after another (each account's new code) then skip the
  // catalogue and the translation. Statements that change the catalogue all
  // run through Execute, which lets it go.
  std::optional<RowUpdate> last_row_update_;
};

}  // namespace dt::engine::standin

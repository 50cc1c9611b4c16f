// Rewriting text fields of a table's rows where they lie in its pages. A
// rewrite that keeps a value's size (the clean-up's "." to "0", a NULL made
// empty text) changes a few bytes of the row's record and nothing else, so
// the leaf pages of the table are patched in place through SQLite's page
// interface (sqlite_dbpage): no row is decoded and encoded again, and the
// pages of rows with nothing to change are not written at all. A row whose
// new values need another size, or whose fields are not all in its page, is
// left to the caller, which updates it by its row id through SQL.
//
// The pages are written inside the caller's transaction. RewriteInPlace
// writes them through SQLite's journal, so a rollback undoes them as it
// undoes any statement; PatchWholeLeaves writes a leaf only once every row
// of it is patched, so that it may run with the journal off.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/engine.h"
#include "engine/standin/store/schema.h"
#include "engine/standin/store/sqlite_db.h"

namespace dt::engine::standin {

// Whether the rows of `table` (as stored) can be rewritten in place for the
// columns `set` (indexes into `columns`, ColumnsOf's order): what an UPDATE of
// those columns would do besides storing the values must be nothing. So the
// database holds UTF-8, the table has row ids, stored columns only, no index
// and no trigger, no CHECK but the engine's own size checks (which a value of
// the same characters passes as before), and each column of `set` keeps text
// as text (TEXT or no affinity). False also when SQLite lacks sqlite_dbpage
// or the connection may not write through it (SQLITE_DBCONFIG_DEFENSIVE).
bool CanRewriteInPlace(const Database& db, const std::string& table,
                       const std::vector<ColumnInfo>& columns, const std::vector<std::size_t>& set);

// What RewriteInPlace does with one row it cannot patch: the caller updates
// the row of that id (all of `set`, from its stored values).
using RewriteRow = std::function<void(std::int64_t row_id)>;

// Patches the leaves of `table` in row-id order from its first row, each
// only when every row of it can be patched in place, and stops before the
// first leaf with a row that cannot (or with pages not as SQLite writes
// them). A leaf is written whole, after all its values were rewritten, or
// not at all: whatever stops the pass, an error of `rewrite` or of SQLite
// included, each row is rewritten or as it was, and the table sound. That
// is what lets the caller run it without a rollback journal, and commit
// what it wrote when it fails (never roll back: SQLite cannot without a
// journal). Returns the
// first row id not rewritten (where RewriteInPlace goes on), or nullopt
// when every row is.
// REQUIRES: CanRewriteInPlace, and a write transaction open on `db`.
std::optional<std::int64_t> PatchWholeLeaves(Database& db, const std::string& table,
                                             const std::vector<ColumnInfo>& columns,
                                             const std::vector<std::size_t>& set,
                                             const std::vector<std::size_t>& keys,
                                             const Rewrite& rewrite);

// For every row of `table` from row id `from` on, in row-id order: each
// column of `set` becomes rewrite(its text), a NULL one rewrite("") only
// where every column of `keys` holds a value KeyFindsItsRow takes (else it stays NULL), in place
// where the row's new values keep its record's size and characters, else
// through `rewrite_row`.
// REQUIRES: CanRewriteInPlace, and a write transaction open on `db`.
// Returns false, having written nothing since it began, when the table's
// pages are not as SQLite writes them (the caller then takes the SQL way,
// which reports what is wrong); raises the errors of `rewrite`,
// `rewrite_row` and SQLite, after which the caller rolls back.
bool RewriteInPlace(Database& db, const std::string& table, const std::vector<ColumnInfo>& columns,
                    const std::vector<std::size_t>& set, const std::vector<std::size_t>& keys,
                    const Rewrite& rewrite, std::int64_t from, const RewriteRow& rewrite_row);

}  // namespace dt::engine::standin

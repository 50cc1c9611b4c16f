// A database engine as the data access component sees it: one open data
// source at a time, named by a Jet connection string, that runs Jet SQL.
// Two engines implement it: the stand-in over SQLite (every form) and, in
// the Windows form, the host's own engine through ADO and the Jet 4.0
// provider. MakeEngine (engine_factory.h) makes the one a connection uses.
//
// All text crossing this interface (connection strings, SQL, names, values,
// messages) is UTF-8; the data access component converts from and to ANSI.
// Every failure raises engine::Error (error.h): a kind to test, the engine's
// description and, for a text file, where in it. Names of tables and fields
// match ignoring ASCII letter case.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dt::engine {

using Value = std::optional<std::string>;  // nullopt is NULL

// Every row of a query, fetched at once (a client-side snapshot). Statements
// run later change neither its rows nor their number.
struct Snapshot {
  std::vector<std::string> columns;  // names as the engine reports them
  std::vector<std::vector<Value>> rows;
  // For a query over one table: that table, and each row's identity in the
  // engine's own terms (the stand-in's row id, the ADO engine's position in
  // the table), so that a changed row can be written back by identity
  // rather than found by its values (Engine::UpdateRow).
  // Empty `table` when the rows are not rows of one table.
  std::string table;
  std::vector<std::int64_t> row_ids;
};

// New value of one column of one snapshot row.
struct Change {
  std::size_t column;  // index into Snapshot::columns
  Value value;
};

// Raises engine::Error (kInvalidArgument) unless row `row` of `snapshot`
// can be written back with `changes`: the snapshot holds the rows of one
// table with their identities, and the row and every changed column exist.
void RequireWritableRow(const Snapshot& snapshot, std::size_t row,
                        const std::vector<Change>& changes);

// The clean-up's rewrite of one value; a NULL it rewrites reaches it as
// empty text (Engine::RewriteColumns says which NULLs it rewrites).
using Rewrite = std::function<std::string(std::string_view value)>;

// Whether the original's update finds a row by a key holding `key` (as
// text): its WHERE compares the trimmed key with the stored one as the
// engine compares text, trailing spaces ignored, so only when trimming
// (bytes <= 32 at either end) takes off nothing but trailing spaces. A key
// with a leading blank (' B9') is never found.
bool KeyFindsItsRow(std::string_view key);

class Engine {
 public:
  virtual ~Engine() = default;

  // Opens the data source of `connection_string`: a database file, or a
  // folder of text files ("Extended Properties=text"). REQUIRES: closed.
  virtual void Open(std::string_view connection_string) = 0;
  // Closes what is open; closing a closed engine does nothing.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // Runs one statement; any rows it returns are discarded. Returns the
  // number of rows it inserted, changed or deleted (or made, for SELECT
  // ... INTO), 0 for definitions. On a text source only the import
  // SELECT * INTO t IN "db" FROM file runs.
  virtual std::int64_t Execute(std::string_view sql) = 0;

  // Runs a row-returning statement into a snapshot. Raises an error of kind
  // kNoResultSet for a statement that returns no result set.
  virtual Snapshot Query(std::string_view sql) = 0;

  // Writes new values of some columns of one snapshot row to its table at
  // once, finding the row by its identity. REQUIRES: `snapshot` came from
  // Query on a single table of the data source open now. A failed write
  // changes nothing.
  virtual void UpdateRow(const Snapshot& snapshot, std::size_t row,
                         const std::vector<Change>& changes) = 0;

  // Rewrites, in every row of `table`, each column of `set_columns` with
  // rewrite(value of that column), each row by its own identity, so that
  // rows alike are rewritten each on its own. A NULL is rewritten (as
  // empty text) only in a row whose `keys` columns all hold a value that
  // KeyFindsItsRow takes, and stays NULL where `keys` is empty. A missing table is an error; a
  // table without rows is not read further. Every name of `read_columns`, `set_columns` and `keys`
  // must exist in a table with rows, else nothing is written and the error (kMissingField) is
  // "Field '<name>' not found", as the data access component says it. A failure midway leaves each
  // row rewritten or as it was, as the clean-up's own statements one per row would. `rewrite` gives
  // the same for the same value: it may be asked more than once. Linear in the rows.
  virtual void RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                              const std::vector<std::string>& set_columns,
                              const std::vector<std::string>& keys, const Rewrite& rewrite) = 0;

  // Whether the open database holds a table of that name.
  virtual bool HasTable(std::string_view table) = 0;

  // Makes everything written so far reach the database file, so that the
  // caller can flush the file to the disk; the engine may close the data
  // source to do so (a file the engine writes lazily is complete only then).
  virtual void Flush() = 0;
};

}  // namespace dt::engine

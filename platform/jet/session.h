// The work-database engine: a stand-in, over SQLite, for the Windows engine
// (ADO with the Jet 4.0 OLE DB provider and its text driver).
//
// A Session is one open data source, named by a Jet connection string:
//   Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<file>;...        a database file
//   Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<folder>;Extended Properties=text;...
//                                                                  a folder of text files
//   ...;Extended Properties="text;CharacterSet=936";...             its files in code page 936
//   ...;Extended Properties="text;CharacterSet=65001";...           its files in UTF-8
// Statements arrive in the Jet SQL dialect and are translated to SQLite.
//
// All text crossing this interface (connection strings, SQL, names, values,
// messages) is UTF-8; the data access component converts from and to ANSI.
// Every failure raises jet::Error (error.h): a kind to test, the engine's own
// description and, for a text file, where in it; Message() words it.
//
// Names of tables and fields match ignoring ASCII letter case. Text compares
// as the Windows engine compares it, ignoring ASCII letter case and trailing
// spaces (text_comparison.h); values are stored as they are. A text field
// declared with a size refuses a longer value (ErrorKind::kFieldTooSmall).
// A statement that fails changes nothing; the file stays a sound database
// that SQLite's own tools read with nothing registered.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/jet/error.h"

namespace dt::jet {

// Raised by Session::Query for a statement that returns no rows.
class NoResultSetError : public Error {
 public:
  explicit NoResultSetError(std::string detail)
      : Error(ErrorKind::kNoResultSet, std::move(detail)) {}
};

using Value = std::optional<std::string>;  // nullopt is NULL

// Every row of a query, fetched at once (a client-side snapshot). Statements
// run later change neither its rows nor their number.
struct Snapshot {
  std::vector<std::string> columns;  // names as the engine reports them
  std::vector<std::vector<Value>> rows;
  // For a query over one table: that table, and the identity of each row,
  // so that a changed row can be written back (Session::UpdateRow).
  std::string table;
  std::vector<std::int64_t> row_ids;
};

class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Opens the data source of `connection_string`. Fails for a provider other
  // than Microsoft.Jet.OLEDB.4.0 (letter case ignored), a missing database
  // file or text folder. A 0-byte database file is an empty database.
  void Open(std::string_view connection_string);
  void Close();
  bool IsOpen() const;

  // Runs one statement; any rows it returns are discarded. Returns the
  // number of rows it inserted, changed or deleted, the number of rows of a
  // table made by SELECT ... INTO, and 0 for other definitions. On a text
  // source only the import SELECT * INTO t IN "db" FROM file runs.
  std::int64_t Execute(std::string_view sql);

  // Runs a row-returning statement into a snapshot. Raises NoResultSetError,
  // without running it, when the statement returns no result set (anything
  // but a SELECT without INTO). Values are texts: a number gives its decimal
  // text.
  Snapshot Query(std::string_view sql);

  // Writes new values of some columns of one snapshot row to its table at
  // once. REQUIRES: `snapshot` came from Query on a single table. Raises
  // jet::Error for a row or column out of range, a column that is no field
  // of the table, and a row that no longer exists.
  struct Change {
    std::size_t column;  // index into snapshot.columns
    Value value;
  };
  void UpdateRow(const Snapshot& snapshot, std::size_t row, const std::vector<Change>& changes);

  // Rewrites, in every row of `table`, each column of `set_columns` with
  // rewrite(value of that column). NULL reaches `rewrite` as empty text.
  // Every name of `read_columns` and `set_columns` must exist in the table,
  // else nothing is written and Error names the missing table or field.
  // Rows are addressed by their own identity; values never enter SQL text.
  // One transaction for the table; linear in the number of rows.
  using Rewrite = std::function<std::string(std::string_view value)>;
  void RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                      const std::vector<std::string>& set_columns, const Rewrite& rewrite);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace dt::jet

// The host's own engine: ADO with the provider the connection string names
// (Microsoft.Jet.OLEDB.4.0 on the host), over the COM-free interface of
// ado_api.h. The contracts are those of engine.h; what this engine adds:
//
// Connections are opened without OLE DB session pooling, so that Close lets
// go of the database file at once: the property is added to the connection
// string where it is handed to ADO, and the caller's string stays as it is.
//
// Statements run through Connection.Execute with adCmdText |
// adExecuteNoRecords. A query runs on a client-side cursor (keyset and
// optimistic locking asked for, as the host asks) and every row is copied
// into the snapshot; a statement that returns no rows has still run when
// the query reports kNoResultSet, as ADO runs it before it can tell.
//
// Rows are written back through a server-side keyset cursor over the table.
// A snapshot of "SELECT * FROM <table>" (and only that) is a snapshot of one
// table. Jet keeps no order between two reads of a table without ORDER BY,
// so a row is sought first at its position in the snapshot and, where the
// row there holds other values, among the rows of the table that hold the
// snapshot row's values and have not been written (rows alike in every
// value cannot be told apart, and any of them serves). A row is written only
// once its stored values equal the snapshot's, so a table changed since the
// query fails the write instead of changing another row. A failed write is
// cancelled, so the row keeps its stored values.
//
// Values read become text: Null and Empty are NULL, text stays as it is,
// numbers and dates are the system's text of them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/ado/ado_api.h"
#include "engine/engine.h"

namespace dt::engine::ado {

class AdoEngine : public engine::Engine {
 public:
  // Takes a closed connection.
  explicit AdoEngine(std::unique_ptr<Connection> connection);
  ~AdoEngine() override;  // closes what is open
  AdoEngine(const AdoEngine&) = delete;
  AdoEngine& operator=(const AdoEngine&) = delete;

  void Open(std::string_view connection_string) override;
  void Close() override;
  bool IsOpen() const override;
  std::int64_t Execute(std::string_view sql) override;
  Snapshot Query(std::string_view sql) override;
  void UpdateRow(const Snapshot& snapshot, std::size_t row,
                 const std::vector<Change>& changes) override;
  // Walks the table once on a server-side cursor and writes each row whose
  // values change. Rows
  // written before a failure stay written, as they would with one
  // statement per row.
  void RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                      const std::vector<std::string>& set_columns,
                      const std::vector<std::string>& keys, const Rewrite& rewrite) override;
  bool HasTable(std::string_view table) override;
  // Closes the connection: the provider writes lazily, and only closing
  // makes sure everything has reached the file.
  void Flush() override;

 private:
  // The server-side cursor the last UpdateRow wrote through, kept for the
  // next row of the same table; anything else run on the connection drops
  // it, since it may change the table under it.
  struct UpdateCursor {
    std::string table;
    std::unique_ptr<Recordset> rows;
    std::int64_t position = 0;  // of the current row, from 0
    // The positions of the table's rows by their values, made the first
    // time a row is not at its snapshot position; a position leaves it once
    // its row has been found there.
    std::optional<std::unordered_multimap<std::string, std::int64_t>> by_values;
  };

  Connection& RequireOpen();
  UpdateCursor& CursorFor(const Snapshot& snapshot);
  // Moves the cursor to `position`; false when no row stands there.
  bool MoveTo(UpdateCursor& cursor, std::int64_t position);
  // Whether the cursor's row holds `values`.
  bool Holds(UpdateCursor& cursor, const std::vector<engine::Value>& values);
  // Moves the cursor to a row that holds `values`: the one at `position`,
  // else one found by its values. Raises RowMoved's error when none does.
  void SeekRow(UpdateCursor& cursor, std::int64_t position,
               const std::vector<engine::Value>& values);
  // The field's value as the engine hands values out.
  engine::Value TextOf(const ado::Value& value);

  std::unique_ptr<Connection> connection_;
  std::optional<UpdateCursor> cursor_;
};

}  // namespace dt::engine::ado

// Row queries and their fields: a statement's rows held in a client-side
// snapshot, browsed row by row, with single-row edits written back at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "src/workdb/connection.h"

namespace dt {

class RowQuery;

// One column of the current row of an open query. Valid while the query
// stays open; it always reads the row the query stands on.
class Field {
 public:
  Field(const RowQuery& query, std::size_t column) : query_(&query), column_(column) {}
  // NULL gives empty text.
  std::string AsString() const;
  // NULL gives 0; text that is no integer raises EDatabaseError.
  std::int64_t AsInteger() const;

 private:
  const RowQuery* query_;
  std::size_t column_;
};

class RowQuery {
 public:
  RowQuery();
  ~RowQuery();
  RowQuery(const RowQuery&) = delete;
  RowQuery& operator=(const RowQuery&) = delete;

  // Binding to the connection already bound does nothing.
  void SetConnection(Connection& connection);
  // Closes the query first when it is open. The text is sent with its lines
  // ended by CR LF.
  void SetSQL(std::string_view ansi_sql);

  // Runs the statement and keeps every row it returns; later statements
  // change neither the rows nor their number. Stands on the first row.
  // Opening an open query does nothing. Raises EDatabaseError "CommandText
  // does not return a result set" for a statement without rows,
  // EOleException when the engine rejects it.
  void Open();
  void Close();

  // REQUIRES for the rest: open (else EDatabaseError).
  std::int64_t RecordCount() const;
  void First();
  void Next();  // posts a pending edit first
  bool Eof() const;

  // The name is matched ignoring ASCII letter case; a name the query lacks
  // raises EDatabaseError "Field '<name>' not found".
  Field FieldByName(std::string_view ansi_name) const;

  // Edit the current row, set fields, then Post writes the changed fields to
  // the database at once (EDatabaseError with the engine's message when it
  // refuses the row; a failure of the disk, memory or a lock leaves as
  // EOleIoError, which ends a run wherever it happens) and returns to
  // browsing. Post outside editing does nothing.
  void Edit();
  void SetFieldText(std::string_view ansi_name, std::string_view ansi_text);
  void Post();

 private:
  friend class Field;
  struct Snapshot;

  std::size_t ColumnIndex(std::string_view ansi_name) const;
  void RequireActive() const;
  const std::string* CurrentValue(std::size_t column) const;  // nullptr for NULL

  std::weak_ptr<detail::ConnectionState> connection_;
  std::string sql_;  // UTF-8, lines ended by CR LF
  bool active_ = false;
  std::unique_ptr<Snapshot> snapshot_;
  std::size_t position_ = 0;
  bool eof_ = true;
  bool editing_ = false;
  std::vector<std::pair<std::size_t, std::string>> pending_;  // column, UTF-8 value
};

}  // namespace dt

// The data access component: the run's one connection to the work-database
// engine, statement commands for statements that return no rows, and row
// queries that hold a client-side snapshot of their rows.
//
// All text in and out (connection strings, SQL, field names and values,
// error messages) is ANSI; this component converts to and from the engine's
// UTF-8 and never lets the engine's own error types escape:
//   - an engine failure raises EOleException with the engine's message, its
//     trailing periods, spaces and control characters removed;
//   - misuse of a component raises EDatabaseError ("Field '%s' not found",
//     "CommandText does not return a result set", ...).
//
// Commands and queries bind to a Connection without owning it. Releasing the
// connection unbinds them: a later use raises EDatabaseError instead of
// touching freed memory. One thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dt {

namespace detail {
struct ConnectionState;
}

class Connection {
 public:
  // A connection with no settings, closed.
  Connection();
  ~Connection();  // closes it when open
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const std::string& ConnectionString() const;
  // REQUIRES: closed; raises EOleException when the connection is open.
  void SetConnectionString(std::string ansi_connection_string);

  // Each does nothing in the state it already has. Open raises EOleException
  // when the data source cannot be opened; the connection then stays closed.
  void Open();
  void Close();
  bool Connected() const;

  // Sets, in every row of `table`, each of `set_columns` to
  // rewrite(its value); NULL reaches `rewrite` as empty text. Names are ANSI;
  // the values handed to and returned by `rewrite` are the engine's UTF-8,
  // never converted, so no character is lost on the way. Every name of
  // `read_columns` and `set_columns` must exist, else EOleException and
  // nothing is written. REQUIRES: open (else EDatabaseError).
  using Rewrite = std::function<std::string(std::string_view utf8_value)>;
  void RewriteColumns(const std::string& table, const std::vector<std::string>& read_columns,
                      const std::vector<std::string>& set_columns, const Rewrite& rewrite);

 private:
  friend class StatementCommand;
  friend class RowQuery;
  std::shared_ptr<detail::ConnectionState> state_;
};

// Runs one statement and discards any rows it returns.
class StatementCommand {
 public:
  StatementCommand();
  ~StatementCommand();
  StatementCommand(const StatementCommand&) = delete;
  StatementCommand& operator=(const StatementCommand&) = delete;

  void SetConnection(Connection& connection);
  void SetCommandText(std::string ansi_sql);
  const std::string& CommandText() const { return text_; }
  // Opens the connection when it is closed. Raises EOleException when the
  // engine rejects the statement, EDatabaseError when no connection is bound.
  void Execute();

 private:
  std::weak_ptr<detail::ConnectionState> connection_;
  std::string text_;
};

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
  bool IsNull() const;

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
  bool Active() const { return active_; }

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
  // cannot) and returns to browsing. Post outside editing does nothing.
  void Edit();
  void SetFieldText(std::string_view ansi_name, std::string_view ansi_text);
  void Post();

  // Runs the statement; returns the number of rows it affected.
  std::int64_t ExecSQL();

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

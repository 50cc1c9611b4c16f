// The run's one connection to a database engine: a data source named by a
// Jet connection string, opened and closed on demand. Commands and
// queries bind to it without owning it (see data_access.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_factory.h"

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

  // The engine the connection's data sources are opened with (the stand-in
  // unless set). REQUIRES: closed; raises EOleException when open.
  void SetEngine(engine::EngineKind kind);
  // The engine object itself, made by the caller (an engine over a fake of
  // what lies beneath it, in tests); closed, else EOleException. REQUIRES:
  // the connection closed, else EOleException.
  void SetEngine(std::unique_ptr<engine::Engine> engine);

  // Each does nothing in the state it already has. Open raises EOleException
  // when the data source cannot be opened; the connection then stays closed.
  void Open();
  void Close();
  bool Connected() const;
  // Closes the connection and lets go of its engine, made again at the next
  // open: an engine may keep the work database open between the imports of
  // one run (closed text source or not), and nothing may hold the file
  // while it is replaced.
  void ReleaseEngine();

  // Sets, in every row of `table`, each of `set_columns` to
  // rewrite(its value); a NULL only in a row whose `keys` all hold a value
  // (it reaches `rewrite` as empty text), never with no keys. Names are ANSI;
  // the values handed to and returned by `rewrite` are the engine's UTF-8,
  // never converted, so no character is lost on the way. Every name of
  // `read_columns`, `set_columns` and `keys` must exist, else EOleException and
  // nothing is written. REQUIRES: open (else EDatabaseError).
  using Rewrite = std::function<std::string(std::string_view utf8_value)>;
  void RewriteColumns(const std::string& table, const std::vector<std::string>& read_columns,
                      const std::vector<std::string>& set_columns,
                      const std::vector<std::string>& keys, const Rewrite& rewrite);

  // Whether the open database holds `ansi_table`. REQUIRES: open (else
  // EDatabaseError); EOleException when the engine cannot tell.
  bool HasTable(const std::string& ansi_table);

  // Makes the open database durable and closes it: everything written
  // reaches the file, `sync_file` flushes the file to the disk, then the
  // engine lets go of it. Closed already: only `sync_file` runs.
  void FlushAndClose(const std::function<void()>& sync_file);

 private:
  engine::Engine& RequireOpen() const;

  friend class StatementCommand;
  friend class RowQuery;
  std::shared_ptr<detail::ConnectionState> state_;
};

}  // namespace dt

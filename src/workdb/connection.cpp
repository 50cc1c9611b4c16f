// The run's one connection: a data source of a database engine named by a
// Jet connection string, opened and closed on demand.
#include "src/workdb/connection.h"
#include "platform/codepage.h"
#include "src/workdb/connection_state.h"
#include "src/workdb/engine_translation.h"

namespace dt {

Connection::Connection() : state_(std::make_shared<detail::ConnectionState>()) {}

Connection::~Connection() {
  try {
    Close();
  } catch (...) {
    // Releasing never fails; the engine's own close cannot lose data that a
    // finished statement wrote.
  }
}

const std::string& Connection::ConnectionString() const { return state_->connection_string; }

void Connection::SetConnectionString(std::string ansi_connection_string) {
  if (Connected()) throw EOleException("Operation is not allowed when the object is open");
  state_->connection_string = std::move(ansi_connection_string);
}

void Connection::SetEngine(engine::EngineKind kind) {
  if (Connected()) throw EOleException("Operation is not allowed when the object is open");
  if (state_->kind == kind) return;
  state_->kind = kind;
  state_->engine.reset();
}

void Connection::SetEngine(std::unique_ptr<engine::Engine> engine) {
  if (Connected() || engine->IsOpen()) {
    throw EOleException("Operation is not allowed when the object is open");
  }
  state_->engine = std::move(engine);
}

void Connection::ReleaseEngine() {
  Close();
  state_->engine.reset();
}

void Connection::Open() { state_->Open(); }

void Connection::Close() {
  if (!Connected()) return;
  detail::CallEngine([&] { state_->engine->Close(); });
}

bool Connection::Connected() const { return state_->IsOpen(); }

engine::Engine& Connection::RequireOpen() const {
  if (!Connected()) throw EDatabaseError("Connection is not open");
  return *state_->engine;
}

void Connection::RewriteColumns(const std::string& table,
                                const std::vector<std::string>& read_columns,
                                const std::vector<std::string>& set_columns,
                                const std::vector<std::string>& keys, const Rewrite& rewrite) {
  engine::Engine& engine = RequireOpen();
  auto to_utf8 = [](const std::vector<std::string>& names) {
    std::vector<std::string> out;
    out.reserve(names.size());
    for (const auto& name : names) out.push_back(platform::AnsiToUtf8(name));
    return out;
  };
  const auto read_utf8 = to_utf8(read_columns);
  const auto set_utf8 = to_utf8(set_columns);
  const auto keys_utf8 = to_utf8(keys);
  const auto table_utf8 = platform::AnsiToUtf8(table);
  detail::CallEngine(
      [&] { engine.RewriteColumns(table_utf8, read_utf8, set_utf8, keys_utf8, rewrite); });
}

bool Connection::HasTable(const std::string& ansi_table) {
  engine::Engine& engine = RequireOpen();
  const std::string table = platform::AnsiToUtf8(ansi_table);
  return detail::CallEngine([&] { return engine.HasTable(table); });
}

void Connection::FlushAndClose(const std::function<void()>& sync_file) {
  if (Connected()) detail::CallEngine([&] { state_->engine->Flush(); });
  sync_file();
  Close();
}

}  // namespace dt

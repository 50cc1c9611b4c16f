// Statement commands: one statement run once on the bound connection, any
// rows it returns discarded.
#include "src/workdb/statement_command.h"
#include "platform/codepage.h"
#include "src/workdb/connection_state.h"
#include "src/workdb/engine_translation.h"

namespace dt {

StatementCommand::StatementCommand() = default;
StatementCommand::~StatementCommand() = default;

void StatementCommand::SetConnection(Connection& connection) { connection_ = connection.state_; }

void StatementCommand::SetCommandText(std::string ansi_sql) { text_ = std::move(ansi_sql); }

void StatementCommand::Execute() {
  auto state = detail::Bound(connection_);
  engine::Engine& engine = state->Open();
  const std::string sql = platform::AnsiToUtf8(text_);
  detail::CallEngine([&] { engine.Execute(sql); });
}

}  // namespace dt

// The statement runner: tolerated statements, their failures logged.
#include "src/workdb/statement_runner.h"

#include "platform/codepage.h"
#include "platform/errors.h"
#include "src/workdb/data_access.h"

namespace dt {

std::string StatementFailureMessage(const std::string& ansi_statement,
                                    const std::string& ansi_error) {
  static const std::string kCannotRun = platform::Ansi(u8"不能执行");
  return "SQL=" + ansi_statement + kCannotRun + ansi_error;
}

void RunGuarded(const std::string& ansi_statement, const std::function<void()>& execute,
                BuildEvents& events) {
  try {
    execute();
  } catch (const Exception& e) {
    events.Log(StatementFailureMessage(ansi_statement, e.Message()));
    events.StatementFailed(ansi_statement, e.Message());
    // Going on after a full or failing disk would report success over a
    // table that is missing or stale.
    if (dynamic_cast<const EOleIoError*>(&e) != nullptr) throw;
  }
}

void RunStatement(const std::string& ansi_statement, Connection& connection, BuildEvents& events) {
  StatementCommand command;
  command.SetConnection(connection);
  command.SetCommandText(ansi_statement);
  RunGuarded(
      ansi_statement, [&] { command.Execute(); }, events);
}

}  // namespace dt

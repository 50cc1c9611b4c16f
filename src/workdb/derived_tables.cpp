// The derived tables: the export model's statements, run in order.
#include "src/workdb/derived_tables.h"

#include "platform/codepage.h"
#include "src/workdb/statement_runner.h"

namespace dt {

void BuildDerivedTables(Connection& connection, BuildEvents& events) {
  const auto& statements = DerivedStatements();
  for (std::size_t i = 0; i < statements.size(); ++i) {
    RunStatement(platform::Ansi(statements[i]), connection, events);
    // Ten parts once PZ is numbered (the third statement), ten once
    // aidInfo is filled (the last).
    if (i == 2 || i + 1 == statements.size()) events.AdvanceProgress(10);
  }
}

}  // namespace dt

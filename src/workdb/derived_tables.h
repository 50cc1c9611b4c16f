// The derived tables: KMYE (account balances), PZ (voucher lines numbered by
// flxh) and aidInfo (budget section and project item codes), made from the
// imported tables and NewCode by the export model's six statements
// (kDerivedTables, DerivedStatements).
#pragma once

#include "src/model/export_model.h"
#include "src/workdb/build_events.h"

namespace dt {

class Connection;

// REQUIRES: `connection` open on the work database, NewCode rebuilt.
// Runs the six statements in order through the statement runner: a failed
// one is logged and the next still runs. Advances progress by 10 after the
// third statement and by 10 after the sixth.
void BuildDerivedTables(Connection& connection, BuildEvents& events);

}  // namespace dt

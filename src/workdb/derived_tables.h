// The derived tables: KMYE (account balances), PZ (voucher lines numbered by
// flxh) and aidInfo (budget section and project item codes), made from the
// imported tables and NewCode by six fixed statements.
#pragma once

#include <array>
#include <string_view>

#include "src/workdb/build_events.h"

namespace dt {

class Connection;

// The tables this phase makes, in the order it makes them.
inline constexpr std::array<std::string_view, 3> kDerivedTables = {"KMYE", "PZ", "aidInfo"};

// The six statements in the order the phase runs them, as UTF-8 text: KMYE,
// PZ, PZ's flxh, aidInfo and its two inserts.
extern const std::array<std::u8string_view, 6> kDerivedStatements;

// REQUIRES: `connection` open on the work database, NewCode rebuilt.
// Runs the six statements in order through the statement runner: a failed
// one is logged and the next still runs. Advances progress by 10 after the
// third statement and by 10 after the sixth.
void BuildDerivedTables(Connection& connection, BuildEvents& events);

}  // namespace dt

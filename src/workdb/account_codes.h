// The account code rebuild: every account of ACCOUNTSECTIONS gets NewCode,
// its dotted SID cut into up to five levels, each level left-padded with "0"
// to the widest segment found at that level in the whole table (widths in
// bytes of the ANSI text), the padded segments joined without separators.
// Example: 101, 101.1, 101.12.3, 2.01 give 101, 10101, 101123, 00201.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "src/workdb/build_events.h"

namespace dt {

class Connection;

inline constexpr int kAccountLevels = 5;

// The level segments of one SID: items split at "." with space, "#" and "."
// skipped where an item starts; levels past the items are empty, items past
// the fifth are dropped.
std::array<std::string, kAccountLevels> AccountSegments(const std::string& ansi_sid);

// NewCode of every account, in order, from the segments of all accounts.
std::vector<std::string> PadAndJoin(
    const std::vector<std::array<std::string, kAccountLevels>>& segments);

// REQUIRES: `connection` open on the work database.
// Adds the NewCode column through the statement runner (a failure is logged
// and the rebuild goes on), then fills it row by row; advances progress by
// 20. A missing table or NewCode column, or a row that cannot be written,
// raises and ends the build; rows already written stay written. SID itself
// is never written.
void RebuildAccountCodes(Connection& connection, BuildEvents& events);

}  // namespace dt

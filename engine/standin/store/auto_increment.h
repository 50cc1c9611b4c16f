// Jet's auto-increment columns (COUNTER, AUTOINCREMENT) added to a table
// that holds rows already.
#pragma once

#include <string>

#include "engine/standin/store/sqlite_db.h"

namespace dt::engine::standin {

// Adds an auto-increment column `column` to `table`: the rows that exist get
// 1..n in table order, later inserts go on from there. REQUIRES: the table
// exists and lacks the column. One transaction; nothing changes on failure.
void AddAutoIncrementColumn(Database& db, const std::string& table, const std::string& column);

}  // namespace dt::engine::standin

// SQLite's own verdict on a database: the first row of PRAGMA
// integrity_check, "ok" for a sound file.
#pragma once

#include <sqlite3.h>

#include <string>

namespace dt::testing {

inline std::string IntegrityOf(sqlite3* db) {
  std::string verdict = "cannot be checked";
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    verdict = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  }
  sqlite3_finalize(statement);
  return verdict;
}

// The database at `utf8_path`, opened read-only; "cannot open" when it
// cannot be.
inline std::string IntegrityOf(const std::string& utf8_path) {
  sqlite3* db = nullptr;
  std::string verdict = "cannot open";
  if (sqlite3_open_v2(utf8_path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    verdict = IntegrityOf(db);
  }
  sqlite3_close(db);
  return verdict;
}

}  // namespace dt::testing

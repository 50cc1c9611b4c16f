// The database that imports write their tables to, kept open from one
// import to the next. Opening a database reads its whole catalogue, so a
// database opened anew for every file would make thousands of small files
// take time that grows with the square of their number; kept open, each
// import only adds its own table to what the connection knows.
#pragma once

#include <optional>
#include <string>

#include "engine/standin/store/sqlite_db.h"

namespace dt::engine::standin {

class ImportTarget {
 public:
  // The database file `path` (UTF-8), opened with Database::OpenExisting
  // unless the one kept open is that path and still the file there (not
  // replaced or removed since). Raises what opening raises.
  Database& Open(const std::string& path);
  // Closes the database kept open, if any; it is opened again when next
  // needed. Call it before another connection works on the file.
  void Release() { db_.reset(); }

 private:
  std::optional<Database> db_;
};

}  // namespace dt::engine::standin

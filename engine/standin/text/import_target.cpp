// Keeping the imports' database open.
#include "engine/standin/text/import_target.h"

namespace dt::engine::standin {
namespace {

// Whether the file SQLite holds open for `db` is no longer the one at its
// path (replaced by a fresh copy of the template, or removed). Where the
// system does not say (Windows), a file held open cannot be replaced or
// removed, so it has not moved; any other failure to tell costs an open.
bool HasMoved(Database& db) {
  int moved = 0;
  const int rc = sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved);
  if (rc == SQLITE_NOTFOUND) return false;
  return rc != SQLITE_OK || moved != 0;
}

}  // namespace

Database& ImportTarget::Open(const std::string& path) {
  if (db_ && (db_->path() != path || HasMoved(*db_))) db_.reset();
  if (!db_) db_.emplace(Database::OpenExisting(path));
  return *db_;
}

}  // namespace dt::engine::standin

// Memory that runs out under the work-database engine, for the tests of what
// the engine and a run do then: SQLite's allocations of a given size or
// more fail, as they do when the system has no more to give, and SQLite
// reports SQLITE_NOMEM. Everything smaller is allocated as before, so the
// engine goes on working until it needs a large block (a long record).
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstddef>

#include "tests/faulty_disk.h"

namespace dt::testing {

// REQUIRES: no SQLite connection is open when it is made or goes: SQLite is
// shut down and started again around each change of its allocator, and the
// failing disk's VFS (faulty_disk.h) made the default again.
class SqliteAllocationLimit {
 public:
  explicit SqliteAllocationLimit(std::size_t bytes) {
    if (sqlite3_shutdown() != SQLITE_OK ||
        sqlite3_config(SQLITE_CONFIG_GETMALLOC, &original_) != SQLITE_OK) {
      ADD_FAILURE() << "cannot change SQLite's allocator";
      return;
    }
    limit_ = bytes;
    sqlite3_mem_methods limited = original_;
    limited.xMalloc = [](int size) -> void* {
      return static_cast<std::size_t>(size) >= limit_ ? nullptr : original_.xMalloc(size);
    };
    limited.xRealloc = [](void* block, int size) -> void* {
      return static_cast<std::size_t>(size) >= limit_ ? nullptr : original_.xRealloc(block, size);
    };
    set_ = Install(limited);
  }
  ~SqliteAllocationLimit() {
    if (set_ && sqlite3_shutdown() == SQLITE_OK) Install(original_);
  }
  SqliteAllocationLimit(const SqliteAllocationLimit&) = delete;
  SqliteAllocationLimit& operator=(const SqliteAllocationLimit&) = delete;

 private:
  static bool Install(const sqlite3_mem_methods& methods) {
    const bool installed = sqlite3_config(SQLITE_CONFIG_MALLOC, &methods) == SQLITE_OK &&
                           sqlite3_initialize() == SQLITE_OK;
    if (!installed) ADD_FAILURE() << "cannot change SQLite's allocator";
    // Started again, SQLite made its own VFS the default.
    KeepFaultyVfsTheDefault();
    return installed;
  }

  static inline sqlite3_mem_methods original_{};
  static inline std::size_t limit_ = 0;
  bool set_ = false;
};

}  // namespace dt::testing

// Disks that fail under the work-database engine, for the tests of what a
// run does then: a rollback journal the engine cannot open, a database file
// that cannot grow, as on a full disk, and one that cannot be read. Each is
// a fault of the failing disk (faulty_disk.h), so every form makes them,
// as any user.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/faulty_disk.h"

namespace dt::testing {

// A failure of the disk, in place while the object lives.
class DiskFailure {
 public:
  virtual ~DiskFailure() = default;
};

// The failing disk, with the faults `arrange` gives it.
class FaultyDiskFailure : public DiskFailure {
 public:
  template <typename Arrange>
  explicit FaultyDiskFailure(Arrange arrange) {
    arrange(disk_);
  }

 private:
  FaultyDisk disk_;
};

struct DiskFault {
  std::string name;
  // Makes the fault happen to the database file `database` while the
  // result lives.
  std::unique_ptr<DiskFailure> (*make)(const std::filesystem::path& database);
};

// Every fault. The rollback journal stands there to SQLite and cannot be
// opened, so that the engine can write nothing to the database, nor read it
// once it holds a table. The file that cannot grow takes a little more
// than nothing, not a whole page, so that the engine's next page is cut
// short.
inline std::vector<DiskFault> DiskFaults() {
  return {
      {"rollback journal cannot be opened",
       [](const std::filesystem::path& database) -> std::unique_ptr<DiskFailure> {
         const std::string journal = database.filename().string() + "-journal";
         return std::make_unique<FaultyDiskFailure>(
             [&](FaultyDisk& disk) { disk.FailOpens(journal); });
       }},
      {"database file cannot grow",
       [](const std::filesystem::path& database) -> std::unique_ptr<DiskFailure> {
         const std::string file = database.filename().string();
         return std::make_unique<FaultyDiskFailure>(
             [&](FaultyDisk& disk) { disk.FailWritesAfter(file, 1000); });
       }},
      {"database file cannot be read",
       [](const std::filesystem::path& database) -> std::unique_ptr<DiskFailure> {
         const std::string file = database.filename().string();
         return std::make_unique<FaultyDiskFailure>(
             [&](FaultyDisk& disk) { disk.FailReads(file); });
       }},
  };
}

}  // namespace dt::testing

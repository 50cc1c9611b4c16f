// Disks that fail under the work-database engine, for the tests of what a
// run does then: a rollback journal the engine cannot open, and a database
// file that cannot grow, as on a full disk.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace dt::testing {

// A failure of the disk, in place while the object lives.
class DiskFailure {
 public:
  virtual ~DiskFailure() = default;
};

// Holds a folder (not empty, so that it cannot be removed in passing) where
// the engine keeps the rollback journal of the database file `database`:
// the engine can then not write to that database, as on a disk that
// refuses. On POSIX it cannot even read it once it holds a table.
class BlockedJournal : public DiskFailure {
 public:
  explicit BlockedJournal(const std::filesystem::path& database)
      : journal_(database.string() + "-journal") {
    std::filesystem::create_directory(journal_);
    std::ofstream(journal_ / "keep") << "x";
  }
  ~BlockedJournal() override {
    std::error_code ignored;
    std::filesystem::remove_all(journal_, ignored);
  }

 private:
  std::filesystem::path journal_;
};

#ifndef _WIN32
// No file that this process, or a program it starts, writes can grow beyond
// `bytes`: a write that would is cut short or refused, as on a disk that has
// filled up. The signal the system sends for such a write is ignored
// meanwhile.
class FileSizeLimit : public DiskFailure {
 public:
  explicit FileSizeLimit(std::uintmax_t bytes) {
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &previous_) == 0) {
      limit = previous_;
      limit.rlim_cur = static_cast<rlim_t>(bytes);
      set_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    if (!set_) ADD_FAILURE() << "cannot limit the size of files";
  }
  ~FileSizeLimit() override {
    if (set_) setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previous_handler_);
  }

 private:
  rlimit previous_{};
  bool set_ = false;
  void (*previous_handler_)(int) = SIG_DFL;
};
#endif

struct DiskFault {
  std::string name;
  // Makes the fault happen to the database file `database` while the
  // result lives.
  std::unique_ptr<DiskFailure> (*make)(const std::filesystem::path& database);
};

// The faults this platform can make. A file that cannot grow is limited to
// a little more than the database holds, not a whole page, so that the
// engine's next page is cut short.
inline std::vector<DiskFault> DiskFaults() {
  std::vector<DiskFault> faults = {
      {"rollback journal blocked",
       [](const std::filesystem::path& database) -> std::unique_ptr<DiskFailure> {
         return std::make_unique<BlockedJournal>(database);
       }},
  };
#ifndef _WIN32
  faults.push_back({"database file cannot grow",
                    [](const std::filesystem::path& database) -> std::unique_ptr<DiskFailure> {
                      return std::make_unique<FileSizeLimit>(std::filesystem::file_size(database) +
                                                             1000);
                    }});
#endif
  return faults;
}

}  // namespace dt::testing

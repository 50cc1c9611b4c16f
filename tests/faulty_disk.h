// A disk that fails on demand, for the tests of what the engine and a run do
// then, on every form and as any user (root included): while a FaultyDisk
// lives, SQLite's default VFS is wrapped by one that consults it (as
// SQLite's own test VFS does), and so are the platform's file calls
// (platform/file_faults.h), through which the engine reads text files and
// removes side files. Files are named by their last path component,
// ignoring ASCII letter case ("KORVA.mdb", "KORVA.mdb-journal"), wherever
// they are.
//
// The wrapping VFS is SQLite's default from the start of a program that
// uses a FaultyDisk, so that a database opened before the disk was made
// fails with it too; without a FaultyDisk it only forwards.
//
// REQUIRES: one FaultyDisk at a time, made and dropped while no file call
// is under way on another thread. Databases opened meanwhile may outlive
// it; they then work as on a sound disk.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace dt::testing {

// OS error codes (errno on POSIX, system error codes on Windows) that the
// platform's calls fail with under a FaultyDisk.
extern const int kDiskFullError;      // a write: the disk is full
extern const int kDiskIoError;        // a read or a flush: the device failed
extern const int kAccessDeniedError;  // an open, a removal or a listing

// Makes the wrapping VFS SQLite's default again, after SQLite was shut
// down and started (which makes its own VFS the default).
void KeepFaultyVfsTheDefault();

class FaultyDisk {
 public:
  FaultyDisk();
  ~FaultyDisk();
  FaultyDisk(const FaultyDisk&) = delete;
  FaultyDisk& operator=(const FaultyDisk&) = delete;

  // Writes to the file `name` take `bytes` bytes more in all; the write
  // that would pass them fails as on a full disk (SQLITE_FULL, or
  // kDiskFullError), and so does every later one.
  void FailWritesAfter(const std::string& name, std::uint64_t bytes);
  // Flushes of `name` to the disk fail (SQLITE_IOERR_FSYNC, kDiskIoError).
  void FailSyncs(const std::string& name);
  // `name` stands there but cannot be opened or created: SQLite is told it
  // exists and its open fails (SQLITE_CANTOPEN); the platform's open and
  // create fail with kAccessDeniedError. A rollback journal so, a hot one
  // to SQLite, keeps a database from being read at all once it holds a
  // page; an absent one from being written.
  void FailOpens(const std::string& name);
  // Reads of `name` fail (SQLITE_IOERR_READ, kDiskIoError).
  void FailReads(const std::string& name);
  // Removals of `name` fail (SQLITE_IOERR_DELETE, kAccessDeniedError).
  void FailRemovals(const std::string& name);
  // Listings of the folder `name` fail with kAccessDeniedError.
  void FailListings(const std::string& name);

  // How many times `name` was opened since the disk was made, by SQLite or
  // for reading through the platform (failed opens not counted).
  int Opens(const std::string& name) const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace dt::testing

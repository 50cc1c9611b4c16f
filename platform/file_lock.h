// An exclusive lock on one file, so that two processes (or two runs of one
// process) never work in the same folder at once. The OS holds the lock for
// the process: it drops it when the process ends, however it ends, so a run
// that is killed never keeps the next one out.
//
// POSIX: flock on the file (over NFS the kernel carries it to the server).
// Windows: LockFileEx on the file's first byte.
#pragma once

#include <cstdint>
#include <string>

namespace dt::platform {

class FileLock {
 public:
  enum class Result {
    kLocked,  // this object holds the lock now
    kBusy,    // another holder has it; nothing was changed
    kFailed,  // the file could not be opened or created; see error()
  };

  FileLock() = default;
  ~FileLock();  // releases the lock and closes the file
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Opens `ansi_path`, creating it empty when it does not exist, and takes
  // the lock without waiting. A lock this object already holds is released
  // first. The file is never removed: removing it would let a later process
  // lock a new file while another still holds the old one.
  Result TryLock(const std::string& ansi_path);
  // Releases the lock now (also done by the destructor).
  void Unlock() noexcept;
  bool Locked() const noexcept { return handle_ != -1; }
  // The OS's error code after kFailed.
  int error() const noexcept { return error_; }

 private:
  std::intptr_t handle_ = -1;  // the open lock file; -1 (invalid everywhere) when none
  int error_ = 0;
};

}  // namespace dt::platform

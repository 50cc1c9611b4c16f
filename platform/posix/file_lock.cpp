// The exclusive file lock on POSIX: flock on a descriptor that is closed on
// exec, so no child program inherits the lock and outlives the run with it.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/paths.h"

namespace dt::platform {

FileLock::~FileLock() { Unlock(); }

void FileLock::Unlock() noexcept {
  // Closing the only descriptor of the open file releases its flock.
  if (handle_ != -1) ::close(static_cast<int>(handle_));
  handle_ = -1;
}

FileLock::Result FileLock::TryLock(const std::string& ansi_path) {
  Unlock();
  const int fd = ::open(NativePath(ansi_path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    error_ = errno;
    return Result::kFailed;
  }
  int status;
  do {
    status = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (status != 0 && errno == EINTR);
  if (status != 0) {
    error_ = errno;
    ::close(fd);
    return error_ == EWOULDBLOCK ? Result::kBusy : Result::kFailed;
  }
  handle_ = fd;
  error_ = 0;
  return Result::kLocked;
}

}  // namespace dt::platform

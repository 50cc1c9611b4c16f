// Durable files on POSIX: fsync of the file, then of its folder. A write
// the kernel failed to put on disk in the background is reported by the
// first fsync after it, whichever descriptor asks.
#include "platform/file_sync.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_faults.h"
#include "platform/paths.h"

namespace dt::platform {
namespace {

// fsync of the entry at `native_path`, opened read-only (enough for fsync,
// and for a folder the only way to open it).
int SyncEntry(const std::string& native_path, int flags) {
  const int fd = ::open(native_path.c_str(), O_RDONLY | O_CLOEXEC | flags);
  if (fd < 0) return errno;
  int error = 0;
  while (::fsync(fd) != 0) {
    if (errno != EINTR) {
      error = errno;
      break;
    }
  }
  ::close(fd);
  return error;
}

}  // namespace

bool SyncToDisk(const std::string& ansi_path, int* error_code) {
  const std::string file = NativePath(ansi_path);
  int error = FileFault(FileCall::kSync, ansi_path);
  if (error == 0) error = SyncEntry(file, 0);
  if (error == 0) {
    const std::size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
    error = SyncEntry(folder, O_DIRECTORY);
    // Some file systems cannot flush a folder at all; the file itself is
    // on disk then, which is all they offer.
    if (error == EINVAL || error == ENOTSUP) error = 0;
  }
  if (error_code != nullptr) *error_code = error;
  return error == 0;
}

}  // namespace dt::platform

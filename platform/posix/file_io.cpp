// Streaming reads and replace-when-whole writes on POSIX descriptors.
#include "platform/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/common/temporary_names.h"
#include "platform/file_faults.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace dt::platform {

InputFile::~InputFile() {
  if (handle_ >= 0) ::close(handle_);
}

bool InputFile::Open(const std::string& ansi_path) {
  if (handle_ >= 0) ::close(handle_);
  handle_ = -1;
  fault_path_ = FileFaultsInstalled() ? ansi_path : std::string();
  if ((error_ = FileFault(FileCall::kOpen, ansi_path)) != 0) return false;
  // Opened without waiting, so a pipe that no program writes to reads as
  // empty instead of stopping the run; reads then block as usual.
  handle_ = ::open(NativePath(ansi_path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (handle_ >= 0) {
    const int flags = ::fcntl(handle_, F_GETFL);
    if (flags != -1) ::fcntl(handle_, F_SETFL, flags & ~O_NONBLOCK);
  }
  error_ = handle_ < 0 ? errno : 0;
  return handle_ >= 0;
}

bool InputFile::Read(char* buffer, std::size_t size, std::size_t* count) {
  *count = 0;
  if (handle_ < 0) {
    error_ = EBADF;
    return false;
  }
  if (!fault_path_.empty() && (error_ = FileFault(FileCall::kRead, fault_path_, size)) != 0) {
    return false;
  }
  for (;;) {
    const ssize_t n = ::read(handle_, buffer, size);
    if (n >= 0) {
      *count = static_cast<std::size_t>(n);
      return true;
    }
    if (errno != EINTR) {
      error_ = errno;
      return false;
    }
  }
}

bool InputFile::Rewind() {
  if (handle_ < 0) {
    error_ = EBADF;
    return false;
  }
  if (::lseek(handle_, 0, SEEK_SET) != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Discard() noexcept {
  if (handle_ >= 0) ::close(handle_);
  handle_ = -1;
  if (!temp_path_.empty()) ::unlink(temp_path_.c_str());
  temp_path_.clear();
}

bool OutputFile::Create(const std::string& ansi_target) {
  Discard();
  target_path_ = NativePath(ansi_target);
  fault_path_ = FileFaultsInstalled() ? ansi_target : std::string();
  if ((error_ = FileFault(FileCall::kCreate, ansi_target)) != 0) return false;
  // In the target's folder, so the rename stays on one file system; O_EXCL
  // refuses anything already standing there.
  const std::string folder = target_path_.substr(0, target_path_.rfind('/') + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = folder + TemporaryName(static_cast<unsigned long>(::getpid()));
    handle_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle_ >= 0) {
      temp_path_ = std::move(candidate);
      error_ = 0;
      return true;
    }
    if (errno != EEXIST) break;
  }
  error_ = errno;
  return false;
}

bool OutputFile::Write(std::string_view bytes) {
  if (handle_ < 0) {
    error_ = EBADF;
    return false;
  }
  if (!fault_path_.empty() &&
      (error_ = FileFault(FileCall::kWrite, fault_path_, bytes.size())) != 0) {
    return false;
  }
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(handle_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : ENOSPC;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

bool OutputFile::Commit(bool fail_if_exists) {
  if (handle_ < 0) {
    error_ = EBADF;
    return false;
  }
  const int fd = handle_;
  handle_ = -1;
  if (::close(fd) != 0) {
    error_ = errno;
    Discard();
    return false;
  }
  if (fail_if_exists) {
    // link() refuses an existing target, so nothing is ever replaced. On a
    // file system without hard links, test for the target, then rename.
    if (::link(temp_path_.c_str(), target_path_.c_str()) == 0) {
      Discard();  // the target now holds the data; drop the temporary name
      return true;
    }
    error_ = errno;
    if (error_ == EEXIST || ::access(target_path_.c_str(), F_OK) == 0) {
      error_ = kFileExists;
      Discard();
      return false;
    }
  }
  if (::rename(temp_path_.c_str(), target_path_.c_str()) != 0) {
    error_ = errno;
    Discard();
    return false;
  }
  temp_path_.clear();
  return true;
}

}  // namespace dt::platform

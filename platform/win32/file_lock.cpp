// The exclusive file lock on Windows: LockFileEx on the first byte of the
// lock file, asked not to wait. The handle is not inherited by child
// processes, and the system releases the lock when the process ends.
#include "platform/file_lock.h"

#include "platform/win32/win32_support.h"

namespace dt::platform {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

FileLock::~FileLock() { Unlock(); }

void FileLock::Unlock() noexcept {
  if (handle_ == -1) return;
  OVERLAPPED at{};
  UnlockFileEx(AsHandle(handle_), 0, 1, 0, &at);
  CloseHandle(AsHandle(handle_));
  handle_ = -1;
}

FileLock::Result FileLock::TryLock(const std::string& ansi_path) {
  Unlock();
  const HANDLE file = CreateFileW(win32::WideName(ansi_path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error_ = static_cast<int>(GetLastError());
    return Result::kFailed;
  }
  OVERLAPPED at{};  // offset 0
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    const DWORD error = GetLastError();
    CloseHandle(file);
    error_ = static_cast<int>(error);
    return error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION ? Result::kBusy
                                                                             : Result::kFailed;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  error_ = 0;
  return Result::kLocked;
}

}  // namespace dt::platform

// Durable files on Windows: FlushFileBuffers writes out everything the
// system caches for the file, whichever handle wrote it.
#include "platform/file_sync.h"

#include "platform/file_faults.h"
#include "platform/win32/win32_support.h"

namespace dt::platform {

bool SyncToDisk(const std::string& ansi_path, int* error_code) {
  if (const int fault = FileFault(FileCall::kSync, ansi_path); fault != 0) {
    if (error_code != nullptr) *error_code = fault;
    return false;
  }
  // Flushing needs write access; the file stays shared with its writers.
  const win32::FileHandle file(CreateFileW(win32::WideName(ansi_path).c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD error = 0;
  if (!file) {
    error = GetLastError();
  } else if (!FlushFileBuffers(file.get())) {
    error = GetLastError();
  }
  if (error_code != nullptr) *error_code = static_cast<int>(error);
  return error == 0;
}

}  // namespace dt::platform

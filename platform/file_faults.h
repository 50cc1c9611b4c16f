// A seam under every file call of the platform layer (file_io.h,
// file_sync.h, files.h, file_search.h) and so under the engine's own file
// reads and removals, which go through them: a test installs a FileFaults
// to make a call fail on demand, with the OS error of its choice, on every
// platform and as any user, where permissions or resource limits would
// depend on both. Nothing else installs one; the calls then cost a test of
// a pointer each.
#pragma once

#include <atomic>
#include <cstddef>
#include <string_view>

namespace dt::platform {

enum class FileCall {
  kOpen,    // a file opened for reading (InputFile::Open)
  kRead,    // a read of `bytes` at most from an open file
  kCreate,  // a file created to be written (OutputFile::Create)
  kWrite,   // a write of `bytes`
  kSync,    // a file flushed to the disk (SyncToDisk, and any other flush)
  kRemove,  // a file removed (RemoveFile)
  kList,    // a folder listed (FileSearch::First); the path is the folder's, no delimiter after
};

class FileFaults {
 public:
  virtual ~FileFaults() = default;
  // The OS error code (errno, or the system error code on Windows) that
  // `call` on `ansi_path` fails with, or 0 to let it go to the OS. Called
  // on whichever thread makes the call.
  virtual int Fault(FileCall call, std::string_view ansi_path, std::size_t bytes) = 0;
};

namespace detail {
extern std::atomic<FileFaults*> installed_file_faults;
}  // namespace detail

// Installs `faults` for every later call (nullptr removes them); the
// caller keeps it alive until it is removed.
// REQUIRES: no file call is under way on another thread.
void SetFileFaults(FileFaults* faults) noexcept;

// True when faults are installed: a file keeps its path for later calls
// only then.
inline bool FileFaultsInstalled() noexcept {
  return detail::installed_file_faults.load(std::memory_order_acquire) != nullptr;
}

// The error code the installed faults give `call` on `ansi_path`; 0 when
// none are installed or they let it go.
inline int FileFault(FileCall call, std::string_view ansi_path, std::size_t bytes = 0) {
  FileFaults* faults = detail::installed_file_faults.load(std::memory_order_acquire);
  return faults == nullptr ? 0 : faults->Fault(call, ansi_path, bytes);
}

}  // namespace dt::platform

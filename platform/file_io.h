// Streaming file access for staging and the engine's text driver: a reading
// handle and a writing handle that builds its file beside the target and
// puts it in place only when the caller commits. Both close their handle
// when destroyed. They report failures as OS error codes (errno on POSIX,
// the system error code on Windows); callers choose the error kind. Every
// call passes the file faults a test may install (file_faults.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dt::platform {

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens `ansi_path` for reading; others may read it meanwhile. False on
  // failure; see error(). Never waits for a writer: a named pipe that none
  // holds open reads as empty (on Windows it cannot be opened).
  bool Open(const std::string& ansi_path);
  // Reads up to `size` bytes into `buffer`, storing the count in *count
  // (0 at the end of the file). False on a read error; see error().
  bool Read(char* buffer, std::size_t size, std::size_t* count);
  // Goes back to the start of the file. False on failure; see error().
  bool Rewind();
  int error() const noexcept { return error_; }

 private:
  std::intptr_t handle_ = -1;  // the OS's handle; -1 (the invalid one everywhere) when none
  int error_ = 0;
  std::string fault_path_;  // the path, kept only while file faults are installed (file_faults.h)
};

// Writes a new version of `target` into a temporary sibling. Commit() puts
// it in place (replacing any target); destroyed without a successful
// Commit(), the sibling is removed and the target is left as it was.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the temporary sibling of `ansi_target`. False on failure.
  bool Create(const std::string& ansi_target);
  // Writes all of `bytes`. False when the file took fewer; see error().
  bool Write(std::string_view bytes);
  // Closes and renames over the target. The file is not flushed to the
  // disk (SyncToDisk, file_sync.h, does that for a file that must last). When `fail_if_exists` an
  // existing target is kept and Commit fails with kFileExists
  // (files.h).
  bool Commit(bool fail_if_exists = false);
  int error() const noexcept { return error_; }

 private:
  void Discard() noexcept;
  std::intptr_t handle_ = -1;
  int error_ = 0;
  std::string temp_path_;    // NativePath form
  std::string target_path_;  // NativePath form
  std::string fault_path_;   // ANSI target, kept only while file faults are installed
};

}  // namespace dt::platform

// Streaming reads and replace-when-whole writes on Windows file handles.
#include "platform/file_io.h"

#include <algorithm>

#include "platform/common/temporary_names.h"
#include "platform/file_faults.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/win32/win32_support.h"

namespace dt::platform {
namespace win32 {

std::string TemporarySibling(const std::string& ansi_target) {
  return ansi_target.substr(0, FolderPartLength(ansi_target)) +
         TemporaryName(GetCurrentProcessId());
}

bool WriteAll(HANDLE file, std::string_view bytes, DWORD* error) noexcept {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
      *error = GetLastError();
      return false;
    }
    if (written == 0) {
      *error = ERROR_DISK_FULL;
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace win32

namespace {

constexpr std::intptr_t kNoHandle = -1;  // INVALID_HANDLE_VALUE

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
std::intptr_t FromHandle(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

void CloseIfOpen(std::intptr_t& handle) noexcept {
  if (handle != kNoHandle) CloseHandle(AsHandle(handle));
  handle = kNoHandle;
}

}  // namespace

InputFile::~InputFile() { CloseIfOpen(handle_); }

bool InputFile::Open(const std::string& ansi_path) {
  CloseIfOpen(handle_);
  fault_path_ = FileFaultsInstalled() ? ansi_path : std::string();
  if ((error_ = FileFault(FileCall::kOpen, ansi_path)) != 0) return false;
  handle_ =
      FromHandle(CreateFileW(win32::WideName(ansi_path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                             nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  error_ = handle_ == kNoHandle ? static_cast<int>(GetLastError()) : 0;
  return handle_ != kNoHandle;
}

bool InputFile::Read(char* buffer, std::size_t size, std::size_t* count) {
  *count = 0;
  if (handle_ == kNoHandle) {
    error_ = ERROR_INVALID_HANDLE;
    return false;
  }
  if (!fault_path_.empty() && (error_ = FileFault(FileCall::kRead, fault_path_, size)) != 0) {
    return false;
  }
  const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  DWORD got = 0;
  if (!ReadFile(AsHandle(handle_), buffer, chunk, &got, nullptr)) {
    const DWORD error = GetLastError();
    // A pipe whose writer has gone has simply ended.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return true;
    error_ = static_cast<int>(error);
    return false;
  }
  *count = got;
  return true;
}

bool InputFile::Rewind() {
  if (handle_ == kNoHandle) {
    error_ = ERROR_INVALID_HANDLE;
    return false;
  }
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(AsHandle(handle_), start, nullptr, FILE_BEGIN)) {
    error_ = static_cast<int>(GetLastError());
    return false;
  }
  return true;
}

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Discard() noexcept {
  CloseIfOpen(handle_);
  if (!temp_path_.empty()) DeleteFileW(win32::WideName(temp_path_).c_str());
  temp_path_.clear();
}

bool OutputFile::Create(const std::string& ansi_target) {
  Discard();
  target_path_ = NativePath(ansi_target);
  fault_path_ = FileFaultsInstalled() ? ansi_target : std::string();
  if ((error_ = FileFault(FileCall::kCreate, ansi_target)) != 0) return false;
  // CREATE_NEW refuses anything already standing there.
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
    std::string candidate = win32::TemporarySibling(target_path_);
    handle_ = FromHandle(CreateFileW(win32::WideName(candidate).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle_ != kNoHandle) {
      temp_path_ = std::move(candidate);
      error_ = 0;
      return true;
    }
    error = GetLastError();
  }
  error_ = static_cast<int>(error);
  return false;
}

bool OutputFile::Write(std::string_view bytes) {
  if (handle_ == kNoHandle) {
    error_ = ERROR_INVALID_HANDLE;
    return false;
  }
  if (!fault_path_.empty() &&
      (error_ = FileFault(FileCall::kWrite, fault_path_, bytes.size())) != 0) {
    return false;
  }
  DWORD error = 0;
  if (win32::WriteAll(AsHandle(handle_), bytes, &error)) return true;
  error_ = static_cast<int>(error);
  return false;
}

bool OutputFile::Commit(bool fail_if_exists) {
  if (handle_ == kNoHandle) {
    error_ = ERROR_INVALID_HANDLE;
    return false;
  }
  const HANDLE file = AsHandle(handle_);
  handle_ = kNoHandle;
  // Not flushed to the disk, as on POSIX: what must last (the work
  // database) is flushed once by its owner (file_sync.h); staged copies are
  // made anew by every run.
  if (!CloseHandle(file)) {
    error_ = static_cast<int>(GetLastError());
    Discard();
    return false;
  }
  const DWORD flags = fail_if_exists ? 0 : MOVEFILE_REPLACE_EXISTING;
  if (!MoveFileExW(win32::WideName(temp_path_).c_str(), win32::WideName(target_path_).c_str(),
                   flags)) {
    const DWORD error = GetLastError();
    error_ = error == ERROR_ALREADY_EXISTS ? kFileExists : static_cast<int>(error);
    Discard();
    return false;
  }
  temp_path_.clear();
  return true;
}

}  // namespace dt::platform

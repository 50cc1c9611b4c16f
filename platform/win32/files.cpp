// Whole-file services on Windows: the system's error texts, the system's
// file copy through a temporary sibling, and what a path names.
#include "platform/files.h"

#include <memory>

#include "platform/codepage.h"
#include "platform/common/file_messages.h"
#include "platform/file_faults.h"
#include "platform/win32/win32_support.h"

// windows.h names CopyFile as a macro for CopyFileW; this file defines ours.
#undef CopyFile

namespace dt::platform {
namespace {

struct LocalFreer {
  void operator()(wchar_t* text) const noexcept { LocalFree(text); }
};

// The file's volume and its index there: one file whatever names lead to it.
bool Identify(const std::string& ansi_path, BY_HANDLE_FILE_INFORMATION& info) {
  const win32::FileHandle file(CreateFileW(
      win32::WideName(ansi_path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file && GetFileInformationByHandle(file.get(), &info) != 0;
}

}  // namespace

const int kFileNotFound = ERROR_FILE_NOT_FOUND;
const int kPathNotFound = ERROR_PATH_NOT_FOUND;
const int kFileExists = ERROR_FILE_EXISTS;
const int kIsADirectory = ERROR_ACCESS_DENIED;

std::string SystemErrorText(int error_code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
          FORMAT_MESSAGE_MAX_WIDTH_MASK,
      nullptr, static_cast<DWORD>(error_code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const std::unique_ptr<wchar_t, LocalFreer> text(buffer);
  if (length == 0) {
    return "Unknown error " + std::to_string(static_cast<DWORD>(error_code));
  }
  return TidySystemText(win32::AnsiName(std::wstring_view(text.get(), length)));
}

bool RemoveFile(const std::string& ansi_path, int* error_code) {
  int error = FileFault(FileCall::kRemove, ansi_path);
  if (error == 0 && !DeleteFileW(win32::WideName(ansi_path).c_str())) {
    const DWORD failure = GetLastError();
    if (failure != ERROR_FILE_NOT_FOUND && failure != ERROR_PATH_NOT_FOUND) {
      error = static_cast<int>(failure);
    }
  }
  *error_code = error;
  return error == 0;
}

bool CopyFile(const std::string& existing, const std::string& target, bool fail_if_exists,
              std::string* system_error_text) {
  auto fail = [&](DWORD error_code) {
    if (system_error_text != nullptr) {
      *system_error_text = SystemErrorText(static_cast<int>(error_code));
    }
    return false;
  };
  if (fail_if_exists && FileExists(target)) return fail(ERROR_FILE_EXISTS);
  const std::wstring from = win32::WideName(existing);
  // The system copies beside the target; the copy replaces the target only
  // when whole, so a copy cut short leaves the target as it was.
  std::wstring temp;
  for (int attempt = 0;; ++attempt) {
    temp = win32::WideName(win32::TemporarySibling(target));
    if (::CopyFileW(from.c_str(), temp.c_str(), TRUE)) break;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS || attempt == 100) return fail(error);
  }
  // The copy is the caller's to write (the work database is written into),
  // and the next copy must replace it: a read-only source gives no
  // read-only copy, as on POSIX.
  const DWORD attributes = GetFileAttributesW(temp.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetFileAttributesW(temp.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  const DWORD flags = fail_if_exists ? 0 : MOVEFILE_REPLACE_EXISTING;
  if (!MoveFileExW(temp.c_str(), win32::WideName(target).c_str(), flags)) {
    const DWORD error = GetLastError();
    DeleteFileW(temp.c_str());
    return fail(error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error);
  }
  return true;
}

bool FileExists(const std::string& ansi_path) {
  return GetFileAttributesW(win32::WideName(ansi_path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DirectoryExists(const std::string& ansi_path) {
  const DWORD attributes = GetFileAttributesW(win32::WideName(ansi_path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsRegularFile(const std::string& ansi_path) {
  // A device (NUL, COM1, \\.\PhysicalDrive0) opens like a file: only the
  // handle's type tells it from one on a disk.
  const win32::FileHandle file(CreateFileW(
      win32::WideName(ansi_path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  return file && GetFileType(file.get()) == FILE_TYPE_DISK &&
         GetFileInformationByHandle(file.get(), &info) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool SameFile(const std::string& ansi_a, const std::string& ansi_b) {
  BY_HANDLE_FILE_INFORMATION a;
  BY_HANDLE_FILE_INFORMATION b;
  return Identify(ansi_a, a) && Identify(ansi_b, b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace dt::platform

// What the Win32 forms of the platform interfaces share: ANSI paths as the
// wide names the W functions take and back, and owners for the system's
// handles. Includes windows.h, so only platform/win32 sources include it.
// Each function is defined with the interface it serves (paths.cpp,
// file_io.cpp, file_search.cpp).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace dt::platform::win32 {

// The ANSI (code page 936) path as a wide name.
std::wstring WideName(std::string_view ansi);
// A wide name as ANSI ('?' for a character code page 936 lacks).
std::string AnsiName(std::wstring_view wide);

// How many leading bytes of the ANSI `path` form its folder part: up to and
// including its last '\\', '/' or ':' that is not the trail byte of a
// double-byte character; 0 when it has none.
std::size_t FolderPartLength(std::string_view path) noexcept;

// A name for a new file in the folder of the ANSI `target`, not given out
// before by this process (TemporaryName, temporary_names.h). The folder is
// the target's, so a rename onto the target stays on one volume.
std::string TemporarySibling(const std::string& ansi_target);

// Writes all of `bytes` to `file`. False with the system error code in
// *error when the file takes fewer.
bool WriteAll(HANDLE file, std::string_view bytes, DWORD* error) noexcept;

// Owns a file handle (CreateFileW's kind: INVALID_HANDLE_VALUE for none).
struct HandleCloser {
  void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  explicit operator bool() const { return handle_ != nullptr; }
  HANDLE get() const { return handle_.get(); }
  // Closes now and reports the outcome (a failed close can mean lost data).
  bool Close() noexcept { return CloseHandle(handle_.release()) != 0; }

 private:
  std::unique_ptr<void, HandleCloser> handle_;
};

// Owns a search handle of FindFirstFileExW.
struct FindCloser {
  void operator()(HANDLE handle) const noexcept { FindClose(handle); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

// Starts a search for the wide `pattern` (long names only in `data`).
// Null when nothing matches or the search fails.
FindHandle FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& data) noexcept;

}  // namespace dt::platform::win32

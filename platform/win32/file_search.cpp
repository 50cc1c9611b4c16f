// The wildcard directory search on Windows: the system's own search and
// matching, wide names converted to code page 936.
#include "platform/file_search.h"

#include <string_view>

#include "platform/codepage.h"
#include "platform/file_faults.h"
#include "platform/win32/win32_support.h"

namespace dt::platform {
namespace win32 {

FindHandle FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& data) noexcept {
  // Basic information: the long name only, no short name to fetch.
  HANDLE handle = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
  return FindHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace win32

namespace {

void Fill(const WIN32_FIND_DATAW& data, FoundEntry& entry) {
  entry.name = win32::AnsiName(data.cFileName);
  entry.is_directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // A character code page 936 lacks does not come back from the ANSI name.
  entry.exact = win32::WideName(entry.name) == data.cFileName;
  entry.utf8_name.clear();
  if (!entry.exact) {
    const std::wstring_view wide(data.cFileName);
    entry.utf8_name = Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
  }
}

}  // namespace

FileSearch::~FileSearch() { Close(); }

void FileSearch::Close() noexcept {
  if (handle_ != nullptr) FindClose(handle_);
  handle_ = nullptr;
}

bool FileSearch::First(const std::string& ansi_pattern, FoundEntry& entry) {
  Close();
  const std::size_t folder = win32::FolderPartLength(ansi_pattern);
  if ((error_ = FileFault(
           FileCall::kList,
           std::string_view(ansi_pattern).substr(0, folder == 0 ? 0 : folder - 1))) != 0) {
    return false;
  }
  WIN32_FIND_DATAW data;
  win32::FindHandle search = win32::FindFirst(win32::WideName(ansi_pattern), data);
  if (!search) {
    // No match in a folder that is there, or no such folder, is no error.
    const DWORD error = GetLastError();
    error_ = error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ||
                     error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY ||
                     error == ERROR_INVALID_NAME
                 ? 0
                 : static_cast<int>(error);
    return false;
  }
  error_ = 0;
  handle_ = search.release();
  Fill(data, entry);
  return true;
}

bool FileSearch::Next(FoundEntry& entry) {
  if (handle_ == nullptr) return false;
  WIN32_FIND_DATAW data;
  if (!FindNextFileW(handle_, &data)) return false;
  Fill(data, entry);
  return true;
}

}  // namespace dt::platform

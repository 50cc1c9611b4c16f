// Leftover temporaries on Windows. file_io.cpp names the temporary sibling
// of a target "~dt<process id>.<counter>.tmp" in the target's folder.
#include "platform/leftover_files.h"

#include <string_view>

#include "platform/win32/win32_support.h"

namespace dt::platform {
namespace {

bool IsDigits(std::wstring_view text) {
  return !text.empty() && text.find_first_not_of(L"0123456789") == std::wstring_view::npos;
}

bool IsTemporaryName(std::wstring_view name) {
  constexpr std::wstring_view kPrefix = L"~dt";
  constexpr std::wstring_view kSuffix = L".tmp";
  if (name.size() < kPrefix.size() + kSuffix.size() || name.substr(0, kPrefix.size()) != kPrefix ||
      name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  const std::wstring_view numbers =
      name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  const std::size_t dot = numbers.find(L'.');
  return dot != std::wstring_view::npos && IsDigits(numbers.substr(0, dot)) &&
         IsDigits(numbers.substr(dot + 1));
}

}  // namespace

int RemoveLeftoverTemporaries(const std::string& ansi_folder) {
  std::wstring folder = win32::WideName(ansi_folder);
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  WIN32_FIND_DATAW data;
  const win32::FindHandle search = win32::FindFirst(folder + L"~dt*.tmp", data);
  if (!search) return 0;
  int removed = 0;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        !IsTemporaryName(data.cFileName)) {
      continue;
    }
    if (DeleteFileW((folder + data.cFileName).c_str())) ++removed;
  } while (FindNextFileW(search.get(), &data));
  return removed;
}

}  // namespace dt::platform

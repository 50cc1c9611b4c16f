// Leftover temporaries on Windows: every file of the folder named as
// temporary_names.h names them.
#include "platform/leftover_files.h"

#include "platform/common/temporary_names.h"
#include "platform/win32/win32_support.h"

namespace dt::platform {

int RemoveLeftoverTemporaries(const std::string& ansi_folder) {
  std::wstring folder = win32::WideName(ansi_folder);
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  WIN32_FIND_DATAW data;
  const win32::FindHandle search = win32::FindFirst(folder + L"*", data);
  if (!search) return 0;
  int removed = 0;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        !IsTemporaryName(win32::AnsiName(data.cFileName))) {
      continue;
    }
    if (DeleteFileW((folder + data.cFileName).c_str())) ++removed;
  } while (FindNextFileW(search.get(), &data));
  return removed;
}

}  // namespace dt::platform

// Paths on Windows: the system holds them as ANSI text and each W call takes
// the wide form; the file system ignores letter case itself, so a fixed name
// resolves to the spelling on disk; full paths come from the system.
#include "platform/paths.h"

#include <vector>

#include "platform/codepage.h"
#include "platform/win32/win32_support.h"

namespace dt::platform {
namespace win32 {

std::wstring WideName(std::string_view ansi) {
  const std::u16string wide = AnsiToUtf16(ansi);
  return std::wstring(wide.begin(), wide.end());
}

std::string AnsiName(std::wstring_view wide) {
  return Utf16ToAnsi(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::size_t FolderPartLength(std::string_view path) noexcept {
  std::size_t length = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (c == '\\' || c == '/' || c == ':') {
      length = i + 1;
    } else if (IsAnsiLeadByte(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
      ++i;  // its trail byte may be '\\', which is no delimiter there
    }
  }
  return length;
}

}  // namespace win32

std::string NativePath(std::string_view ansi_path) { return std::string(ansi_path); }

std::string ResolveChild(std::string_view directory, std::string_view name) {
  if (name.empty() || name.find_first_of("*?") != std::string_view::npos) return std::string(name);
  std::string query(directory);
  if (win32::FolderPartLength(query) != query.size()) query += PathDelim;
  query += name;
  WIN32_FIND_DATAW data;
  if (!win32::FindFirst(win32::WideName(query), data)) return std::string(name);
  // The search matches short names and other letters' case too; only the
  // entry whose own name differs in ASCII case alone is the one asked for.
  std::string found = win32::AnsiName(data.cFileName);
  return AnsiEqualIgnoringAsciiCase(found, name) ? found : std::string(name);
}

std::string AbsolutePath(std::string_view path) {
  // The system takes an empty path for none; it names the current folder.
  const std::wstring wide = win32::WideName(path.empty() ? std::string_view(".\\") : path);
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) return std::string(path);
    if (length < buffer.size()) return win32::AnsiName(std::wstring_view(buffer.data(), length));
    buffer.resize(length);
  }
}

}  // namespace dt::platform

// Module handles and run-time loading on Windows, over the system loader.
#include "platform/module.h"

#include <vector>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/win32/win32_support.h"

namespace dt::platform {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  return std::wstring(wide.begin(), wide.end());
}

bool IsDelimiter(wchar_t c) { return c == L'\\' || c == L'/'; }

// A path from a drive's root (C:\...) or from a server's share (\\host\...).
bool IsAbsolute(const std::wstring& path) {
  return (path.size() >= 3 && path[1] == L':' && IsDelimiter(path[2])) ||
         (path.size() >= 2 && IsDelimiter(path[0]) && IsDelimiter(path[1]));
}

}  // namespace

void* ModuleHandleOf(const void* address) noexcept {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCWSTR>(address), &module)) {
    return nullptr;
  }
  return module;
}

std::string ExecutableDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      const std::wstring_view path(buffer.data(), length);
      const std::size_t slash = path.find_last_of(L"\\/");
      if (slash == std::wstring_view::npos) return {};
      // A program at a drive's root keeps the delimiter that makes "C:\" the root.
      const std::size_t keep = slash == 2 && path[1] == L':' ? slash + 1 : slash;
      return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(path.data()), keep));
    }
    buffer.resize(buffer.size() * 2);
  }
}

LoadedLibrary::LoadedLibrary(const std::string& path) {
  const std::wstring wide = Wide(path);
  // With a full path, the library's own folder is where its imports are
  // looked for first, as for a program.
  handle_ =
      LoadLibraryExW(wide.c_str(), nullptr, IsAbsolute(wide) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
  if (handle_ == nullptr) {
    const int error = static_cast<int>(GetLastError());
    throw Exception(Utf8ToAnsi(path) + ": " + SystemErrorText(error));
  }
}

LoadedLibrary::~LoadedLibrary() { FreeLibrary(static_cast<HMODULE>(handle_)); }

void* LoadedLibrary::Symbol(const char* name) const noexcept {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace dt::platform

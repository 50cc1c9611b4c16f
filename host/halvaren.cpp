// The host's log library stand-in: each entry becomes one appended line.
#include "host/halvaren.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace {

#ifdef _WIN32
void WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return;
    bytes.remove_prefix(written);
  }
}

// Appending through FILE_APPEND_DATA makes each write land at the end, as
// O_APPEND does, so entries of concurrent writers never interleave. The
// variable is read wide, so a path the ANSI code page lacks still works.
void WriteEntry(std::string_view line) {
  const wchar_t* path = _wgetenv(L"HALVAREN_LOG");
  if (path == nullptr || *path == L'\0') {
    WriteAll(GetStdHandle(STD_ERROR_HANDLE), line);
    return;
  }
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  WriteAll(file, line);
  CloseHandle(file);
}
#else
void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void WriteEntry(std::string_view line) {
  const char* path = std::getenv("HALVAREN_LOG");
  if (path == nullptr || *path == '\0') {
    WriteAll(STDERR_FILENO, line);
    return;
  }
  const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  WriteAll(fd, line);
  ::close(fd);
}
#endif

std::u16string_view MessageText(const char16_t* message) {
  if (message == nullptr) return {};
  std::size_t length = 0;
  while (message[length] != u'\0') ++length;
  return {message, length};
}

}  // namespace

extern "C" void DT_STDCALL WriteLog(void* /*module*/, std::int32_t kind, const char16_t* message) {
  try {
    // One write per entry, so entries of concurrent writers never interleave.
    std::string line = std::to_string(kind);
    line += '\t';
    line += dt::platform::Utf16ToUtf8(MessageText(message));
    line += '\n';
    WriteEntry(line);
  } catch (...) {
    // The caller relies on the log call never raising.
  }
}

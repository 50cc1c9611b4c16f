// The host's log library stand-in: each entry becomes one appended line.
#include "host/halvaren.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace {

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
    const char* path = std::getenv("HALVAREN_LOG");
    if (path == nullptr || *path == '\0') {
      WriteAll(STDERR_FILENO, line);
      return;
    }
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    WriteAll(fd, line);
    ::close(fd);
  } catch (...) {
    // The caller relies on the log call never raising.
  }
}

// File names between ANSI text and the file system's bytes. A path whose
// UTF-8 form exists is that; otherwise each of its parts is looked up as it
// exists on disk, in UTF-8 or as the code page's own bytes.
#include "platform/posix/native_names.h"

#include <sys/stat.h>

#include "platform/codepage.h"
#include "platform/paths.h"

namespace dt::platform {
namespace {

bool Exists(const std::string& native_path) {
  struct stat st;
  return ::lstat(native_path.c_str(), &st) == 0;
}

}  // namespace

std::string posix::AnsiName(std::string_view native, bool* exact) {
  if (!IsValidUtf8(native)) {
    if (exact != nullptr) *exact = true;
    return std::string(native);
  }
  std::string ansi = Utf8ToAnsi(native);
  if (exact != nullptr) *exact = AnsiToUtf8(ansi) == native;
  return ansi;
}

std::string NativePath(std::string_view ansi_path) {
  std::string utf8 = AnsiToUtf8(ansi_path);
  if (IsAscii(ansi_path) || Exists(utf8)) return utf8;
  // Part by part: a part whose UTF-8 form is not there but whose own bytes
  // (no UTF-8, so they cannot be meant as UTF-8) name an entry is that
  // entry. Everything else, a file still to be made included, is UTF-8.
  std::string native;
  std::size_t start = 0;
  while (start <= ansi_path.size()) {
    std::size_t end = ansi_path.find(PathDelim, start);
    if (end == std::string_view::npos) end = ansi_path.size();
    const std::string_view part = ansi_path.substr(start, end - start);
    const std::string converted = native + AnsiToUtf8(part);
    const std::string as_is = native + std::string(part);
    native = !IsValidUtf8(part) && !Exists(converted) && Exists(as_is) ? as_is : converted;
    if (end < ansi_path.size()) native += PathDelim;
    start = end + 1;
  }
  return native;
}

}  // namespace dt::platform

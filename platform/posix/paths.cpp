// Paths on POSIX: fixed names under the base directory are found ignoring
// letter case, and relative paths are made absolute against the current
// directory. NativePath is defined with the name rules (native_names.cpp).
#include "platform/paths.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "platform/codepage.h"
#include "platform/posix/native_names.h"

namespace dt::platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const noexcept { closedir(dir); }
};

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
    if (errno != ERANGE) return std::string(1, PathDelim);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::string ResolveChild(std::string_view directory, std::string_view name) {
  const std::string native_dir = directory.empty() ? std::string(".") : NativePath(directory);
  std::unique_ptr<DIR, DirCloser> dir(opendir(native_dir.c_str()));
  if (!dir) return std::string(name);
  std::string found;
  bool have_found = false;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string ansi = posix::AnsiName(entry->d_name);
    if (ansi == name) return ansi;
    if (!have_found && AnsiEqualIgnoringAsciiCase(ansi, name)) {
      found = ansi;
      have_found = true;
    }
  }
  return have_found ? found : std::string(name);
}

std::string AbsolutePath(std::string_view path) {
  std::string full;
  if (!path.empty() && path.front() == PathDelim) {
    full = std::string(path);
  } else {
    full = posix::AnsiName(CurrentDirectory());
    full += PathDelim;
    full += path;
  }
  // Lexical clean-up as the Windows full-path call does: doubled delimiters
  // and "." segments go, ".." removes the segment before it.
  std::vector<std::string> segments;
  std::size_t pos = 0;
  while (pos <= full.size()) {
    std::size_t next = full.find(PathDelim, pos);
    if (next == std::string::npos) next = full.size();
    const std::string segment = full.substr(pos, next - pos);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    pos = next + 1;
  }
  std::string result;
  for (const std::string& segment : segments) {
    result += PathDelim;
    result += segment;
  }
  const bool trailing = !full.empty() && full.back() == PathDelim;
  if (result.empty() || trailing) result += PathDelim;
  return result;
}

}  // namespace dt::platform

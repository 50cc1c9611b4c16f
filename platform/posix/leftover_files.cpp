// Leftover temporaries on POSIX. file_io.cpp names the temporary sibling of
// a target "<target>.~<process id>.<counter>", or ".~<process id>.<counter>"
// in the target's folder when the target's name is already near the file
// system's limit.
#include "platform/leftover_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string_view>

#include "platform/paths.h"

namespace dt::platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const noexcept { closedir(dir); }
};

// Skips a run of decimal digits from `at`; the position after it, or npos
// when there is none.
std::size_t SkipDigits(std::string_view text, std::size_t at) {
  const std::size_t end = text.find_first_not_of("0123456789", at);
  const std::size_t stop = end == std::string_view::npos ? text.size() : end;
  return stop > at ? stop : std::string_view::npos;
}

bool IsTemporaryName(std::string_view name) {
  const std::size_t mark = name.rfind(".~");
  if (mark == std::string_view::npos) return false;
  const std::size_t dot = SkipDigits(name, mark + 2);
  if (dot == std::string_view::npos || dot >= name.size() || name[dot] != '.') return false;
  return SkipDigits(name, dot + 1) == name.size();
}

}  // namespace

int RemoveLeftoverTemporaries(const std::string& ansi_folder) {
  std::unique_ptr<DIR, DirCloser> dir(opendir(NativePath(ansi_folder).c_str()));
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = readdir(dir.get())) {
    if (!IsTemporaryName(entry->d_name)) continue;
    struct stat st;
    if (fstatat(dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode)) {
      continue;
    }
    if (unlinkat(dirfd(dir.get()), entry->d_name, 0) == 0) ++removed;
  }
  return removed;
}

}  // namespace dt::platform

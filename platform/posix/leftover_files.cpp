// Leftover temporaries on POSIX: every regular file of the folder named as
// temporary_names.h names them.
#include "platform/leftover_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/common/temporary_names.h"
#include "platform/paths.h"

namespace dt::platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const noexcept { closedir(dir); }
};

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

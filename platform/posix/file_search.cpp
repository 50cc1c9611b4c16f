// The wildcard directory search on POSIX: readdir order, names converted
// to ANSI by the rules of native_names.h, case-insensitive matching,
// directories found by stat (so a link to a directory is one).
#include "platform/file_search.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/file_faults.h"
#include "platform/paths.h"
#include "platform/posix/native_names.h"

namespace dt::platform {
namespace {

DIR* AsDir(void* p) { return static_cast<DIR*>(p); }

}  // namespace

FileSearch::~FileSearch() { Close(); }

void FileSearch::Close() noexcept {
  if (handle_ != nullptr) closedir(AsDir(handle_));
  handle_ = nullptr;
}

bool FileSearch::First(const std::string& ansi_pattern, FoundEntry& entry) {
  Close();
  const std::size_t slash = ansi_pattern.rfind(PathDelim);
  if (slash == std::string::npos) {
    directory_.assign(1, '.');  // not a literal: GCC 12 warns falsely on that form
    wildcard_ = ansi_pattern;
  } else {
    directory_ = NativePath(std::string_view(ansi_pattern).substr(0, slash + 1));
    wildcard_ = ansi_pattern.substr(slash + 1);
  }
  if ((error_ = FileFault(
           FileCall::kList,
           std::string_view(ansi_pattern).substr(0, slash == std::string::npos ? 0 : slash))) !=
      0) {
    return false;
  }
  handle_ = opendir(directory_.c_str());
  if (handle_ == nullptr) {
    error_ = errno == ENOENT || errno == ENOTDIR ? 0 : errno;
    return false;
  }
  error_ = 0;
  if (Next(entry)) return true;
  Close();
  return false;
}

bool FileSearch::Next(FoundEntry& entry) {
  if (handle_ == nullptr) return false;
  while (const dirent* found = readdir(AsDir(handle_))) {
    bool exact = true;
    std::string name = posix::AnsiName(found->d_name, &exact);
    if (!WildcardMatch(wildcard_, name)) continue;
    struct stat st;
    const bool is_directory =
        fstatat(dirfd(AsDir(handle_)), found->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    entry.name = std::move(name);
    entry.is_directory = is_directory;
    entry.exact = exact;
    entry.utf8_name = exact ? std::string() : std::string(found->d_name);
    return true;
  }
  return false;
}

}  // namespace dt::platform

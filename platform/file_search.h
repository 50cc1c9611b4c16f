// A directory search by wildcard, with the find-first / find-next / close
// contract the system's discovery is written against. The pattern is a
// directory part (up to its last PathDelim) and a wildcard of '*' and '?'
// matched against each entry's name ignoring ASCII letter case. Every entry
// is considered, hidden ones too; "." and ".." are reported like others.
#pragma once

#include <string>
#include <string_view>

namespace dt::platform {

struct FoundEntry {
  std::string name;           // ANSI (converted from the file system's UTF-8)
  bool is_directory = false;  // a symbolic link to a directory counts as one
};

// The search handle is released when the object is destroyed.
class FileSearch {
 public:
  FileSearch() = default;
  ~FileSearch();
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;

  // Starts a search for `ansi_pattern` and yields the first match. False
  // when the directory cannot be read or nothing matches; the search is
  // then closed.
  bool First(const std::string& ansi_pattern, FoundEntry& entry);
  // The next match, in the order the file system reports entries. False
  // when there is none or the search fails.
  bool Next(FoundEntry& entry);
  // Ends the search (also done by the destructor).
  void Close() noexcept;

 private:
  void* dir_ = nullptr;    // the OS's directory stream
  std::string directory_;  // native directory path
  std::string wildcard_;   // ANSI wildcard
};

// True when `name` matches `wildcard` ('*' any run, '?' one byte), ignoring
// ASCII letter case.
bool WildcardMatch(std::string_view wildcard, std::string_view name) noexcept;

}  // namespace dt::platform

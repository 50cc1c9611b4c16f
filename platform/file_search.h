// A directory search by wildcard, with the find-first / find-next / close
// contract the system's discovery is written against. The pattern is a
// directory part (up to its last PathDelim) and a wildcard of '*' and '?'
// matched against each entry's name ignoring ASCII letter case. Every entry
// is considered, hidden ones too; "." and ".." are reported like others.
// On Windows the system's own search matches: it ignores the case of other
// letters too, and where the file system keeps 8.3 short names it matches
// them as well (so "*.txt" can find "a.txt1", whose short name ends ".TXT").
#pragma once

#include <string>
#include <string_view>

namespace dt::platform {

struct FoundEntry {
  std::string name;           // ANSI ('?' for a character the code page lacks)
  bool is_directory = false;  // a symbolic link to a directory counts as one
  // False when the name holds a character the code page lacks: `name` then
  // names no file, and `utf8_name` holds the name as the file system has it.
  bool exact = true;
  std::string utf8_name;  // empty when `exact`
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
  // then closed and error() says which.
  bool First(const std::string& ansi_pattern, FoundEntry& entry);
  // After First gave nothing: 0 when the folder was read and nothing
  // matched, or when there is no such folder; otherwise the OS's error code
  // for a folder that is there but could not be read.
  int error() const noexcept { return error_; }
  // The next match, in the order the file system reports entries. False
  // when there is none or the search fails.
  bool Next(FoundEntry& entry);
  // Ends the search (also done by the destructor).
  void Close() noexcept;

 private:
  void* handle_ = nullptr;  // the OS's search: a directory stream, or a find handle
  std::string directory_;   // native directory path, where the search matches by itself
  std::string wildcard_;    // ANSI wildcard, likewise
  int error_ = 0;
};

// True when `name` matches `wildcard` ('*' any run, '?' one byte), ignoring
// ASCII letter case.
bool WildcardMatch(std::string_view wildcard, std::string_view name) noexcept;

}  // namespace dt::platform

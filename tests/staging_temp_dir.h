// A scratch directory under the system temp directory for the staging and
// file tests, removed with everything in it when the helper goes away, and
// small helpers to put and read raw bytes there.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "tests/native_path.h"

namespace dt::testing {

class TempDir {
 public:
  TempDir() {
    const std::filesystem::path parent = std::filesystem::temp_directory_path();
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path candidate = parent / ("dealtext-" + std::to_string(random()));
      // create_directory is false when the name is taken: then try another.
      if (std::filesystem::create_directory(candidate)) {
        path_ = candidate.string();
        return;
      }
    }
    throw std::runtime_error("cannot make a scratch directory");
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory path (ASCII, so the same in ANSI and UTF-8).
  const std::string& path() const { return path_; }
  // path() + the path delimiter + name, each '/' in `name` made a delimiter.
  std::string operator/(const std::string& name) const {
    return path_ + platform::PathDelim + Native(name);
  }

 private:
  std::string path_;
};

// The helpers below take and give names as UTF-8, the file system's own
// encoding on POSIX, so a test names a file the same way everywhere.
inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(platform::PathOf(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(platform::PathOf(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names in `directory` (UTF-8), in the order the file system reports them.
inline std::vector<std::string> EntryNames(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(platform::PathOf(directory))) {
    names.push_back(platform::Utf8Of(entry.path().filename()));
  }
  return names;
}

}  // namespace dt::testing

// A scratch directory under the system temp directory for the staging and
// file tests, removed with everything in it when the helper goes away, and
// small helpers to put and read raw bytes there.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <random>
#include <vector>

#include "platform/paths.h"

namespace dt::testing {

// `path` with each '/' made the platform's path delimiter, so a test can
// write its expected paths once for every platform.
inline std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', platform::PathDelim);
  return path;
}

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

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names in `directory`, in the order the file system reports them.
inline std::vector<std::string> EntryNames(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

}  // namespace dt::testing

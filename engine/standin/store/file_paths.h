// Paths inside the engine are UTF-8, as SQLite takes them. The standard
// library reads a narrow path in the process's own code page on Windows, so
// every path reaches the file system through these, never as a plain string.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace dt::engine::standin {

inline std::filesystem::path PathOf(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// std::fopen with a UTF-8 path; null with errno set on failure.
inline std::FILE* OpenForReading(const std::string& utf8) {
#ifdef _WIN32
  return _wfopen(PathOf(utf8).c_str(), L"rb");
#else
  return std::fopen(utf8.c_str(), "rb");
#endif
}

}  // namespace dt::engine::standin

// Helpers for the engine's tests: a scratch folder removed afterwards, an
// empty database file in it, connection strings, and snapshot look-ups.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/standin/standin_engine.h"
#include "platform/paths.h"

namespace dt::engine::standin::testing {

class ScratchDir {
 public:
  ScratchDir() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    do {
      path_ = base / ("dealtext-jet-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Folder() const { return path_.string() + platform::PathDelim; }

  // Writes `content` to `name` and returns its path.
  std::string Write(const std::string& name, const std::string& content) const {
    std::ofstream(File(name), std::ios::binary) << content;
    return File(name);
  }

 private:
  std::filesystem::path path_;
};

inline std::string DatabaseConnection(const std::string& path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Persist Security Info=False";
}

inline std::string TextConnection(const std::string& folder) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder +
         ";Extended Properties=text;Persist Security Info=False";
}

// A session on a fresh, empty (0-byte) database file in `dir`.
inline void OpenEmptyDatabase(const ScratchDir& dir, StandInEngine& session,
                              const std::string& name = "work.mdb") {
  dir.Write(name, "");
  session.Open(DatabaseConnection(dir.File(name)));
}

// Index of the column `name` in `snapshot` (ASCII case ignored); fails the
// test when there is none.
inline std::size_t ColumnIndex(const Snapshot& snapshot, const std::string& name) {
  // ASCII only: names in UTF-8 keep their other bytes (and tolower must not
  // see a negative char).
  auto lower = [](std::string text) {
    for (char& c : text) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
  };
  for (std::size_t i = 0; i < snapshot.columns.size(); ++i) {
    if (lower(snapshot.columns[i]) == lower(name)) return i;
  }
  ADD_FAILURE() << "no column " << name;
  return 0;
}

// Rows as lines of "|"-joined values (NULL as "<null>"), sorted, so that
// tests compare result sets whatever the row order.
inline std::vector<std::string> SortedRows(const Snapshot& snapshot) {
  std::vector<std::string> lines;
  for (const auto& row : snapshot.rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) line += "|";
      line += row[i] ? *row[i] : "<null>";
    }
    lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The message of the engine::Error that `action` raises ("" when none).
template <typename Action>
std::string ErrorOf(Action&& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

// The kind of the engine::Error that `action` raises (nullopt when none).
template <typename Action>
std::optional<ErrorKind> KindOf(Action&& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.kind();
  }
  return std::nullopt;
}

}  // namespace dt::engine::standin::testing

// Helpers shared by the build's tests: a temporary base directory laid out
// as the build expects it, events that record what the build reports, and a
// direct engine session for preparing and checking work databases (UTF-8).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/standin/standin_engine.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "src/workdb/build_events.h"

namespace dt::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the owner goes away.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("dealtext-build-" + std::to_string(random()));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The directory as the build takes it: ending with the path delimiter.
  std::string Base() const { return path_.string() + platform::PathDelim; }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.good()) << path;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A base directory holding DataBase/empty.mdb (an empty database) and an
// empty TemplateTemp folder.
class BaseDir : public TempDir {
 public:
  BaseDir() {
    std::filesystem::create_directory(path() / "DataBase");
    std::filesystem::create_directory(path() / "TemplateTemp");
    WriteFile(path() / "DataBase" / "empty.mdb", "");
  }
  std::filesystem::path WorkDatabase() const { return path() / "TemplateTemp" / "KORVA.mdb"; }
  std::string WorkConnection() const {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + WorkDatabase().string() +
           ";Persist Security Info=False";
  }
};

// What the build reported.
class RecordingEvents : public BuildEvents {
 public:
  void AdvanceProgress(int parts) override { progress += parts; }
  void Log(const std::string& ansi_message) override { logs.push_back(ansi_message); }
  void PhaseStarted(BuildPhase phase, const std::string& detail) override {
    phases.emplace_back(phase, detail);
  }

  int progress = 0;
  std::vector<std::string> logs;
  std::vector<std::pair<BuildPhase, std::string>> phases;
};

inline std::string DatabaseConnection(const std::filesystem::path& file) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string() +
         ";Persist Security Info=False";
}

// A direct engine session on a database file; creates the file (empty) when
// it does not exist yet.
class Db {
 public:
  explicit Db(const std::filesystem::path& file) {
    if (!std::filesystem::exists(file)) WriteFile(file, "");
    session_.Open(DatabaseConnection(file));
  }
  void Exec(const std::string& utf8_sql) { session_.Execute(utf8_sql); }
  // Every row of `utf8_sql`, NULL as nullopt.
  std::vector<std::vector<engine::Value>> Rows(const std::string& utf8_sql) {
    return session_.Query(utf8_sql).rows;
  }
  // The one column of `utf8_sql`, NULL as "<null>".
  std::vector<std::string> Column(const std::string& utf8_sql) {
    std::vector<std::string> out;
    for (const auto& row : Rows(utf8_sql)) out.push_back(row.at(0) ? *row.at(0) : "<null>");
    return out;
  }
  std::size_t Count(const std::string& table) { return Rows("select * from " + table).size(); }
  engine::standin::StandInEngine& session() { return session_; }

 private:
  engine::standin::StandInEngine session_;
};

// A UTF-8 literal as the engine's text.
inline std::string U8(std::u8string_view utf8) { return std::string(utf8.begin(), utf8.end()); }

// A UTF-8 literal as code page 936 text.
inline std::string Gbk(std::u8string_view utf8) { return platform::Ansi(utf8); }

}  // namespace dt::testing

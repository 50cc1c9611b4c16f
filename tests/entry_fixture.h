// A run's directories for the entry tests: a base directory laid out as the
// host supplies it (DataBase/empty.mdb, TemplateTemp) and a source folder,
// with a small export of the seven tables or files of the test's choosing.
#pragma once

#include <filesystem>
#include <string>

#include "tests/staging_temp_dir.h"

namespace dt::testing {

class RunDirectories {
 public:
  RunDirectories() {
    std::filesystem::create_directories(dir_ / "base/DataBase");
    std::filesystem::create_directories(dir_ / "base/TemplateTemp");
    std::filesystem::create_directories(dir_ / "source");
    WriteBytes(dir_ / "base/DataBase/empty.mdb", "");
  }

  // Ends with the path delimiter, as the host passes it.
  std::string Base() const { return dir_ / "base/"; }
  // Without a trailing delimiter.
  std::string Source() const { return dir_ / "source"; }
  std::string WorkDatabase() const { return dir_ / "base/TemplateTemp/KORVA.mdb"; }
  // A completed run's result: on Windows the path the host is promised,
  // spelled "TempLateTemp" (its file system ignores letter case, so it names
  // the same file); elsewhere the work database as it is spelled on disk.
#ifdef _WIN32
  std::string ResultPath() const { return Base() + "TempLateTemp\\KORVA.mdb"; }
#else
  std::string ResultPath() const { return WorkDatabase(); }
#endif
  bool WorkDatabaseExists() const { return std::filesystem::exists(WorkDatabase()); }
  std::string Scratch(const std::string& name) const { return dir_ / name; }

  void AddSource(const std::string& name, const std::string& bytes) const {
    WriteBytes(Source() + platform::PathDelim + name, bytes);
  }

  // The seven tables, one exporter header line each, a few rows, CR LF.
  void AddSampleExport() const {
    AddSource("ACCOUNTSECTIONS.TXT",
              "exported\r\n1,2024,101,,,,,,,Cash\r\n1,2024,101.1,,,,,,,Bank\r\n");
    AddSource("BOOK.TXT", "exported\r\n1,2024,B1,1,15,100\r\n");
    AddSource("BOOKDETAIL.TXT",
              "exported\r\n1,2024,B1,1,memo,101.1,,I.1,,B.1,,100,,,,,,1,,,,,,0\r\n");
    AddSource("BUDGETSECTION.TXT", "exported\r\n2024,B.1,,,,,,,Budget\r\n");
    AddSource("ITEM.TXT", "exported\r\n1,2024,I.1,,,,,,,Item\r\n");
    AddSource("LOAN.TXT", "exported\r\n1,2024,E1\r\n");
    AddSource("REMAIN.TXT", "exported\r\n1,2024,1,101.1,E1,I.1,50,B.1\r\n");
  }

 private:
  TempDir dir_;
};

}  // namespace dt::testing

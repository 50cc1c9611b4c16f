// dealtext-readexport: reads text files through the text driver's reader and
// reports records, bytes and throughput, to measure the reader on its own
// (for instance on the output of dealtext-genexport). With --import, each
// file goes through the text driver's whole import into a database instead,
// as a run imports it.
//
//   dealtext-readexport [--import DB] [--encoding auto|gbk|utf-8] FILE...
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/standin/store/sqlite_db.h"
#include "engine/standin/text/text_import.h"
#include "engine/standin/text/text_reader.h"

namespace {

using dt::platform::CharacterSet;

// Reads `file` record by record; the number of records and of values.
std::pair<std::size_t, std::size_t> Read(const std::string& file, CharacterSet character_set) {
  dt::engine::standin::TextReader reader(file, character_set);
  std::vector<std::optional<std::string_view>> fields;
  std::size_t records = 0, values = 0;
  while (reader.Next(fields)) {
    ++records;
    for (const auto& field : fields) values += field ? 1 : 0;
  }
  return {records, values};
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Reads text files through the text driver's reader and reports its speed."};
  std::vector<std::string> files;
  std::string database;
  CharacterSet character_set = CharacterSet::kDetect;
  app.add_option("files", files, "text files to read")->required()->check(CLI::ExistingFile);
  app.add_option("--import", database, "import each file as a table of this database instead")
      ->type_name("DB");
  app.add_option("--encoding", character_set, "how the files are encoded")
      ->transform(CLI::CheckedTransformer(
          std::map<std::string, CharacterSet>{{"auto", CharacterSet::kDetect},
                                              {"gbk", CharacterSet::kCodePage936},
                                              {"utf-8", CharacterSet::kUtf8}},
          CLI::ignore_case));
  CLI11_PARSE(app, argc, argv);
  try {
    std::optional<dt::engine::standin::Database> target;
    if (!database.empty()) target.emplace(dt::engine::standin::Database::OpenOrCreate(database));
    int table = 0;
    for (const std::string& file : files) {
      const auto start = std::chrono::steady_clock::now();
      std::string counted;
      if (target) {
        const std::int64_t rows = dt::engine::standin::ImportTextFile(
            *target, "T" + std::to_string(++table), file, character_set);
        counted = std::to_string(rows) + " rows imported";
      } else {
        const auto [records, values] = Read(file, character_set);
        counted = std::to_string(records) + " records, " + std::to_string(values) + " values";
      }
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      const double megabytes = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
      std::printf("%s: %s, %.1f MB in %.3f s, %.1f MB/s\n", file.c_str(), counted.c_str(),
                  megabytes, seconds, seconds > 0 ? megabytes / seconds : 0.0);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dealtext-readexport: %s\n", e.what());
    return 1;
  }
  return 0;
}

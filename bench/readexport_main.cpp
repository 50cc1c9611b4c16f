// dealtext-readexport: reads text files through the text driver's reader and
// reports records, bytes and throughput, to measure the reader on its own
// (for instance on the output of dealtext-genexport).
//
//   dealtext-readexport FILE...
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/jet/text_reader.h"

int main(int argc, char** argv) {
  CLI::App app{"Reads text files through the text driver's reader and reports its speed."};
  std::vector<std::string> files;
  app.add_option("files", files, "text files to read")->required()->check(CLI::ExistingFile);
  CLI11_PARSE(app, argc, argv);
  try {
    for (const std::string& file : files) {
      const auto start = std::chrono::steady_clock::now();
      dt::jet::TextReader reader(file);
      std::vector<std::optional<std::string_view>> fields;
      std::size_t records = 0, values = 0;
      while (reader.Next(fields)) {
        ++records;
        for (const auto& field : fields) values += field ? 1 : 0;
      }
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      const double megabytes = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
      std::printf("%s: %zu records, %zu values, %.1f MB in %.3f s, %.1f MB/s\n", file.c_str(),
                  records, values, megabytes, seconds, seconds > 0 ? megabytes / seconds : 0.0);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dealtext-readexport: %s\n", e.what());
    return 1;
  }
  return 0;
}

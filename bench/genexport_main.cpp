// dealtext-genexport: writes a realistic export of the accounting system
// into a folder, for benchmarks and trials of the tool.
//
//   dealtext-genexport --lines N --seed S --out DIR
#include <CLI/CLI.hpp>

#include <cstdint>
#include <exception>
#include <iostream>
#include <string>

#include "bench/export_generator.h"

int main(int argc, char** argv) {
  CLI::App app{"Writes a realistic export of N voucher lines (code page 936, CR LF)."};
  dt::bench::ExportOptions options;
  std::string out_dir;
  // Read as a signed number and checked: a negative count must be refused,
  // not wrapped round to an export of billions of lines.
  std::int64_t lines = static_cast<std::int64_t>(options.lines);
  app.add_option("--lines", lines, "voucher lines in BOOKDETAIL.TXT")
      ->check([](const std::string& value) {
        return value.starts_with('-') ? std::string("the number of lines cannot be negative")
                                      : std::string();
      })
      ->capture_default_str();
  app.add_option("--seed", options.seed, "random seed; the same seed gives the same files")
      ->capture_default_str();
  app.add_option("--out", out_dir, "folder to write the seven files into")->required();
  CLI11_PARSE(app, argc, argv);
  options.lines = static_cast<std::uint64_t>(lines);
  try {
    const dt::bench::ExportCounts counts = dt::bench::GenerateExport(options, out_dir);
    for (const auto& [file, rows] : counts) std::cout << file << ' ' << rows << '\n';
  } catch (const std::exception& e) {
    std::cerr << "dealtext-genexport: " << e.what() << '\n';
    return 1;
  }
  return 0;
}

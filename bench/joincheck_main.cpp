// dealtext-joincheck: times the tool's join check on a work database a run
// has left (its codes cleaned by then, so the counts are not the run's; the
// cost is), and the search for the source lines in a staged file.
//
//   dealtext-joincheck DB [STAGED_BOOKDETAIL]
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/join_report.h"
#include "cli/source_lines.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dealtext-joincheck DB [STAGED_BOOKDETAIL]\n");
    return 2;
  }
  using Clock = std::chrono::steady_clock;
  try {
    const Clock::time_point start = Clock::now();
    dt::cli::JoinCheck check = dt::cli::CheckJoins(argv[1]);
    const Clock::time_point checked = Clock::now();
    std::size_t rows = 0;
    for (const dt::cli::RelationResult& result : check.results) rows += result.rows.size();
    std::printf("check %.3f s, %zu broken references\n",
                std::chrono::duration<double>(checked - start).count(), rows);
    if (argc > 2) {
      std::vector<dt::cli::BrokenReference*> wanted;
      for (std::size_t i = 0; i < 4; ++i) {
        for (dt::cli::BrokenReference& row : check.results[i].rows) wanted.push_back(&row);
      }
      dt::cli::FindSourceLines(argv[2], wanted);
      std::printf("lines of %zu rows %.3f s\n", wanted.size(),
                  std::chrono::duration<double>(Clock::now() - checked).count());
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "dealtext-joincheck: %s\n", error.what());
    return 1;
  }
  return 0;
}

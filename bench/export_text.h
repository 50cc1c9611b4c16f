// The texts and numbers the export generator puts into its tables: Chinese
// names and voucher summaries in code page 936, money amounts and dates in
// the exporter's formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/export_random.h"

namespace dt::bench {

// Pools of code page 936 texts, converted once from the UTF-8 source.
struct ExportTexts {
  ExportTexts();
  std::vector<std::string> account_names;
  std::vector<std::string> budget_names;
  std::vector<std::string> item_names;
  std::vector<std::string> summaries;
  // Summaries that hold an ASCII comma or quote, so that the file needs
  // quoted fields.
  std::vector<std::string> quoted_summaries;
  std::vector<std::string> people;
  std::vector<std::string> banks;
  std::vector<std::string> remarks;
};

// `cents` as the exporter writes money: 1234.56, -0.05, 0.00.
std::string Money(std::int64_t cents);

// A positive amount in cents, spread over several orders of magnitude (from
// 0.01 to about 10 million), as voucher lines are.
std::int64_t RandomCents(Random& random);

struct Date {
  int year;
  int month;
  int day;
};
int DaysInYear(int year);
// The `day_of_year`-th day (0-based) of `year`.
// REQUIRES: 0 <= day_of_year < DaysInYear(year).
Date DateOfDay(int year, int day_of_year);

}  // namespace dt::bench

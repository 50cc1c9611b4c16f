// Date conversion for cdate: the strict year-month-day reading the work
// database's statements rely on.
#include "platform/jet/cdate.h"

namespace dt::jet {
namespace {

// Reads 1..max_digits digits at `pos`; nullopt when there are none or more.
std::optional<int> ReadNumber(std::string_view text, std::size_t& pos, std::size_t max_digits,
                              std::size_t& digits) {
  const std::size_t start = pos;
  int value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    if (pos - start > max_digits) return std::nullopt;
  }
  digits = pos - start;
  if (digits == 0) return std::nullopt;
  return value;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysIn(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<std::string> ParseJetDate(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::size_t pos = 0;
  std::size_t digits = 0;
  auto separator = [&]() {
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '/')) {
      ++pos;
      return true;
    }
    return false;
  };
  std::optional<int> year = ReadNumber(text, pos, 4, digits);
  if (!year) return std::nullopt;
  if (digits <= 2) {
    *year += *year < 30 ? 2000 : 1900;
  } else if (*year < 100) {
    return std::nullopt;
  }
  if (!separator()) return std::nullopt;
  const std::optional<int> month = ReadNumber(text, pos, 2, digits);
  if (!month || *month < 1 || *month > 12 || !separator()) return std::nullopt;
  const std::optional<int> day = ReadNumber(text, pos, 2, digits);
  if (!day || *day < 1 || *day > DaysIn(*year, *month) || pos != text.size()) return std::nullopt;
  std::string date = std::to_string(*year);
  date.insert(0, 4 - date.size(), '0');
  date += *month < 10 ? "-0" : "-";
  date += std::to_string(*month);
  date += *day < 10 ? "-0" : "-";
  date += std::to_string(*day);
  return date;
}

}  // namespace dt::jet

// Date conversion for cdate: three numbers in the first order that makes a
// date of them, as the Windows date conversion tries them.
#include "engine/standin/sql/cdate.h"

#include <array>
#include <cstddef>

namespace dt::engine::standin {
namespace {

// A number as written: its value (capped, since no part of a date reaches
// it) and how many digits it has.
struct Number {
  int value = 0;
  std::size_t digits = 0;
};

constexpr int kValueCap = 100000;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void SkipSpace(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
}

// Splits `text` into three numbers joined by "-" or "/", white space allowed
// around each number; false for any other text.
bool ReadNumbers(std::string_view text, std::array<Number, 3>& numbers) {
  std::size_t pos = 0;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) {
      if (pos == text.size() || (text[pos] != '-' && text[pos] != '/')) return false;
      ++pos;
    }
    SkipSpace(text, pos);
    const std::size_t start = pos;
    int value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
      if (value < kValueCap) value = value * 10 + (text[pos] - '0');
    }
    if (pos == start) return false;
    numbers[i] = Number{value, pos - start};
    SkipSpace(text, pos);
  }
  return pos == text.size();
}

// The year a number names; nullopt when it names none, or none but by the
// machine's two-digit year setting.
std::optional<int> YearOf(Number number) {
  if (number.digits < 3 || number.digits > 4 || number.value < 100) return std::nullopt;
  return number.value;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool IsDay(int year, Number month, Number day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month.digits > 2 || day.digits > 2 || month.value < 1 || month.value > 12) return false;
  const int last = month.value == 2 && IsLeap(year) ? 29 : kDays[month.value - 1];
  return day.value >= 1 && day.value <= last;
}

// YYYY-MM-DD, digit by digit (a date for each of a million voucher lines).
// REQUIRES: year 100..9999, month 1..12, day 1..31.
std::string IsoDate(int year, int month, int day) {
  std::string date = "0000-00-00";
  for (int i = 3; i >= 0; --i, year /= 10)
    date[static_cast<std::size_t>(i)] = static_cast<char>('0' + year % 10);
  date[5] = static_cast<char>('0' + month / 10);
  date[6] = static_cast<char>('0' + month % 10);
  date[8] = static_cast<char>('0' + day / 10);
  date[9] = static_cast<char>('0' + day % 10);
  return date;
}

// Which of the three numbers is the year, the month and the day, in the
// order the conversion tries them when its own order, year first, fails.
struct Reading {
  std::size_t year;
  std::size_t month;
  std::size_t day;
};
constexpr std::array<Reading, 4> kReadings = {{
    {0, 1, 2},  // year-month-day
    {2, 0, 1},  // month-day-year
    {0, 2, 1},  // year-day-month
    {2, 1, 0},  // day-month-year
}};

}  // namespace

std::optional<std::string> ParseJetDate(std::string_view text) {
  std::array<Number, 3> numbers;
  if (!ReadNumbers(text, numbers)) return std::nullopt;
  for (const Reading& reading : kReadings) {
    const std::optional<int> year = YearOf(numbers[reading.year]);
    const Number month = numbers[reading.month];
    const Number day = numbers[reading.day];
    if (year && IsDay(*year, month, day)) return IsoDate(*year, month.value, day.value);
  }
  return std::nullopt;
}

}  // namespace dt::engine::standin

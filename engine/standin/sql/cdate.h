// Jet's cdate for the dates the work database holds: a text of three numbers
// becomes the ISO date text 'YYYY-MM-DD', read as the Windows date
// conversion reads it on a machine whose dates are written year first.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dt::engine::standin {

// Accepts three numbers separated by "-" or "/"; white space (spaces, tabs,
// line breaks) before and after each number is skipped, so "2024-1- 5" is
// 5 January 2024. The numbers are read as year-month-day; when that gives no
// day of the calendar, as month-day-year, then year-day-month, then
// day-month-year, and the first reading that gives one is the date. A year
// has 3 or 4 digits and is taken as written (100-9999); a month (1-12) or
// day has 1 or 2 digits. nullopt when no reading gives a date (32 January,
// 30 February) and for anything else, a year of 1 or 2 digits included:
// the Windows conversion puts it in a century by the machine's two-digit
// year setting (1930-2029 on older systems, 1950-2049 on newer ones), which
// a date made here cannot know.
std::optional<std::string> ParseJetDate(std::string_view text);

}  // namespace dt::engine::standin

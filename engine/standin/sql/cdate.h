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
// of 1 or 2 digits falls in the window 1930-2029 (30..99 -> 19xx,
// 0..29 -> 20xx), one of 3 or 4 digits is taken as written (100-9999); a
// month (1-12) or day has 1 or 2 digits. nullopt when no reading gives a
// date (32 January, 30 February) and for anything else.
std::optional<std::string> ParseJetDate(std::string_view text);

}  // namespace dt::engine::standin

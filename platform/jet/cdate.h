// Jet's cdate for the dates the work database holds: a year-month-day text
// becomes the ISO date text 'YYYY-MM-DD'.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dt::jet {

// Accepts year, month and day separated by "-" or "/", with spaces around
// the whole allowed: a year of 1 or 2 digits is read in the window 1930-2029
// (30..99 -> 19xx, 0..29 -> 20xx), of 3 or 4 digits as written (100-9999);
// month 1-12; a day that exists in that month. nullopt for anything else.
std::optional<std::string> ParseJetDate(std::string_view text);

}  // namespace dt::jet

// Maps SQLite's failure texts to the engine's messages.
#include "platform/jet/engine_errors.h"

#include <array>
#include <utility>

#include "platform/jet/session.h"

namespace dt::jet {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string TranslateMessage(std::string_view message, std::string_view what) {
  struct Pattern {
    std::string_view prefix;
    std::string_view before;
    std::string_view after;
  };
  static constexpr std::array<Pattern, 6> kPatterns = {{
      {"no such table: ", "Table '", "' does not exist"},
      {"no such column: ", "Field '", "' does not exist"},
      {"table ", "Table '", "' already exists"},  // "table x already exists"
      {"duplicate column name: ", "Field '", "' already exists"},
      {"ambiguous column name: ", "Field '", "' could refer to more than one table"},
      {"no such function: ", "Undefined function '", "' in expression"},
  }};
  for (const Pattern& pattern : kPatterns) {
    if (!StartsWith(message, pattern.prefix)) continue;
    std::string_view name = message.substr(pattern.prefix.size());
    if (pattern.prefix == "table ") {
      constexpr std::string_view kTail = " already exists";
      if (name.size() <= kTail.size() || name.substr(name.size() - kTail.size()) != kTail) {
        continue;
      }
      name.remove_suffix(kTail.size());
    }
    if (name.starts_with("main.")) name.remove_prefix(5);
    // SQLite repeats a name as the statement wrote it, quotes included.
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
      name = name.substr(1, name.size() - 2);
    }
    return std::string(pattern.before) + std::string(name) + std::string(pattern.after);
  }
  // "2 values for 3 columns", or "table T has 2 columns but 3 values were
  // supplied".
  if (message.find(" values for ") != std::string_view::npos ||
      message.find(" values were supplied") != std::string_view::npos) {
    return "Number of query values and destination fields are not the same (" +
           std::string(message) + ")";
  }
  if (message == "parser stack overflow") {
    return "Statement too complex: it nests too deeply for the engine";
  }
  // The engine's own functions report in the engine's words already.
  if (StartsWith(message, "Data type mismatch")) return std::string(message);
  return std::string(what) + ": " + std::string(message);
}

std::string DescribeFailure(sqlite3* db, std::string_view what) {
  if (db == nullptr) return std::string(what) + ": out of memory";
  return TranslateMessage(sqlite3_errmsg(db), what);
}

void ThrowFailure(sqlite3* db, std::string_view what) { throw Error(DescribeFailure(db, what)); }

}  // namespace dt::jet

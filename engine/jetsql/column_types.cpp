// The table of Jet field types. Every text type stores TEXT; a size given to
// one of the short text types is kept with the type and held by a check.
#include "engine/jetsql/column_types.h"

#include <array>
#include <charconv>
#include <utility>

#include "platform/codepage.h"

namespace dt::engine {

std::optional<ColumnType> LookUpColumnType(std::string_view jet_type) {
  static constexpr std::array<std::pair<std::string_view, ColumnType>, 44> kTypes = {{
      {"TEXT", {"TEXT", false, true}},         {"VARCHAR", {"TEXT", false, true}},
      {"CHAR", {"TEXT", false, true}},         {"CHARACTER", {"TEXT", false, true}},
      {"STRING", {"TEXT", false, true}},       {"NVARCHAR", {"TEXT", false, true}},
      {"NCHAR", {"TEXT", false, true}},        {"NTEXT", {"TEXT", false, false}},
      {"MEMO", {"TEXT", false, false}},        {"LONGTEXT", {"TEXT", false, false}},
      {"LONGCHAR", {"TEXT", false, false}},    {"NOTE", {"TEXT", false, false}},
      {"INTEGER", {"INTEGER", false, false}},  {"INT", {"INTEGER", false, false}},
      {"LONG", {"INTEGER", false, false}},     {"INTEGER4", {"INTEGER", false, false}},
      {"SMALLINT", {"INTEGER", false, false}}, {"SHORT", {"INTEGER", false, false}},
      {"INTEGER2", {"INTEGER", false, false}}, {"BYTE", {"INTEGER", false, false}},
      {"TINYINT", {"INTEGER", false, false}},  {"INTEGER1", {"INTEGER", false, false}},
      {"BIT", {"INTEGER", false, false}},      {"YESNO", {"INTEGER", false, false}},
      {"LOGICAL", {"INTEGER", false, false}},  {"BOOLEAN", {"INTEGER", false, false}},
      {"COUNTER", {"INTEGER", true, false}},   {"AUTOINCREMENT", {"INTEGER", true, false}},
      {"IDENTITY", {"INTEGER", true, false}},  {"SINGLE", {"REAL", false, false}},
      {"REAL", {"REAL", false, false}},        {"FLOAT4", {"REAL", false, false}},
      {"DOUBLE", {"REAL", false, false}},      {"FLOAT", {"REAL", false, false}},
      {"FLOAT8", {"REAL", false, false}},      {"NUMBER", {"REAL", false, false}},
      {"NUMERIC", {"NUMERIC", false, false}},  {"DECIMAL", {"NUMERIC", false, false}},
      {"CURRENCY", {"NUMERIC", false, false}}, {"MONEY", {"NUMERIC", false, false}},
      {"DATETIME", {"TEXT", false, false}},    {"DATE", {"TEXT", false, false}},
      {"BINARY", {"BLOB", false, false}},      {"LONGBINARY", {"BLOB", false, false}},
  }};
  for (const auto& [name, type] : kTypes) {
    if (platform::EqualIgnoringAsciiCase(name, jet_type)) return type;
  }
  return std::nullopt;
}

std::optional<int> DeclaredTextSize(std::string_view declared_type) {
  const std::size_t open = declared_type.find('(');
  const std::size_t close = declared_type.find(')');
  if (open == std::string_view::npos || close != declared_type.size() - 1) return std::nullopt;
  std::string_view word = declared_type.substr(0, open);
  while (!word.empty() && word.back() == ' ') word.remove_suffix(1);
  const std::optional<ColumnType> type = LookUpColumnType(word);
  if (!type || !type->sized_text) return std::nullopt;
  std::string_view digits = declared_type.substr(open + 1, close - open - 1);
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  while (!digits.empty() && digits.back() == ' ') digits.remove_suffix(1);
  int size = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || size < 0) {
    return std::nullopt;
  }
  return size;
}

}  // namespace dt::engine

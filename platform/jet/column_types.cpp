// The table of Jet field types. Every text type stores TEXT; the engine does
// not enforce the declared text length.
#include "platform/jet/column_types.h"

#include <array>
#include <utility>

#include "platform/jet/tokenizer.h"

namespace dt::jet {

std::optional<ColumnType> LookUpColumnType(std::string_view jet_type) {
  static constexpr std::array<std::pair<std::string_view, ColumnType>, 44> kTypes = {{
      {"TEXT", {"TEXT", false}},        {"VARCHAR", {"TEXT", false}},
      {"CHAR", {"TEXT", false}},        {"CHARACTER", {"TEXT", false}},
      {"STRING", {"TEXT", false}},      {"NVARCHAR", {"TEXT", false}},
      {"NCHAR", {"TEXT", false}},       {"NTEXT", {"TEXT", false}},
      {"MEMO", {"TEXT", false}},        {"LONGTEXT", {"TEXT", false}},
      {"LONGCHAR", {"TEXT", false}},    {"NOTE", {"TEXT", false}},
      {"INTEGER", {"INTEGER", false}},  {"INT", {"INTEGER", false}},
      {"LONG", {"INTEGER", false}},     {"INTEGER4", {"INTEGER", false}},
      {"SMALLINT", {"INTEGER", false}}, {"SHORT", {"INTEGER", false}},
      {"INTEGER2", {"INTEGER", false}}, {"BYTE", {"INTEGER", false}},
      {"TINYINT", {"INTEGER", false}},  {"INTEGER1", {"INTEGER", false}},
      {"BIT", {"INTEGER", false}},      {"YESNO", {"INTEGER", false}},
      {"LOGICAL", {"INTEGER", false}},  {"BOOLEAN", {"INTEGER", false}},
      {"COUNTER", {"INTEGER", true}},   {"AUTOINCREMENT", {"INTEGER", true}},
      {"IDENTITY", {"INTEGER", true}},  {"SINGLE", {"REAL", false}},
      {"REAL", {"REAL", false}},        {"FLOAT4", {"REAL", false}},
      {"DOUBLE", {"REAL", false}},      {"FLOAT", {"REAL", false}},
      {"FLOAT8", {"REAL", false}},      {"NUMBER", {"REAL", false}},
      {"NUMERIC", {"NUMERIC", false}},  {"DECIMAL", {"NUMERIC", false}},
      {"CURRENCY", {"NUMERIC", false}}, {"MONEY", {"NUMERIC", false}},
      {"DATETIME", {"TEXT", false}},    {"DATE", {"TEXT", false}},
      {"BINARY", {"BLOB", false}},      {"LONGBINARY", {"BLOB", false}},
  }};
  for (const auto& [name, type] : kTypes) {
    if (EqualsIgnoreCase(name, jet_type)) return type;
  }
  return std::nullopt;
}

}  // namespace dt::jet

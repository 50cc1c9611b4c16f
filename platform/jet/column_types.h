// Jet's field type names and what each becomes in the work database.
#pragma once

#include <optional>
#include <string_view>

namespace dt::jet {

struct ColumnType {
  std::string_view sqlite_type;  // TEXT, INTEGER, REAL, NUMERIC or BLOB
  bool auto_increment;           // COUNTER, AUTOINCREMENT, IDENTITY
};

// The type for a Jet type word (VARCHAR, TEXT, LONG, COUNTER, ...), letter
// case ignored; nullopt for a word that names no type.
std::optional<ColumnType> LookUpColumnType(std::string_view jet_type);

}  // namespace dt::jet

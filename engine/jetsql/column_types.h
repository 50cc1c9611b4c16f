// Jet's field type names and what each becomes in the work database.
#pragma once

#include <optional>
#include <string_view>

namespace dt::engine {

struct ColumnType {
  std::string_view sqlite_type;  // TEXT, INTEGER, REAL, NUMERIC or BLOB
  bool auto_increment;           // COUNTER, AUTOINCREMENT, IDENTITY
  bool sized_text;               // VARCHAR(n), TEXT(n), CHAR(n), ...: n characters at most
};

// The type for a Jet type word (VARCHAR, TEXT, LONG, COUNTER, ...), letter
// case ignored; nullopt for a word that names no type.
std::optional<ColumnType> LookUpColumnType(std::string_view jet_type);

// The size in characters a column's declared type gives its text, as the
// work database stores it ("TEXT(250)", or "VARCHAR(50)" from another
// tool); nullopt for a type without one.
std::optional<int> DeclaredTextSize(std::string_view declared_type);

// The name of the constraint that holds a text field to its size. Every
// such constraint bears it, so that its failure reads as the Windows
// engine's "field is too small".
inline constexpr std::string_view kFieldSizeConstraint = "jet_field_size";

}  // namespace dt::engine

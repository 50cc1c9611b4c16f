// The export as this system knows it, declared once: the seven source
// tables (file, header line, the columns the derived tables join them on),
// the statements that derive KMYE, PZ and aidInfo as the system sends them,
// the references their outer joins rely on, and the code clean-up's
// entries. The catalogue, the build, its checks, the join check, the export
// generator and the tests all read it; a test reads the statements with the
// stand-in's parser and holds the references to exactly their joins.
//
// Table names are the imported tables' (the catalogue's file names less
// ".TXT"); the engine matches them ignoring letter case, as the statements,
// written in the host's own mixed case, rely on.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace dt {

struct SourceTable {
  std::string file_name;    // upper case, e.g. "BOOK.TXT"
  std::string header_line;  // comma-separated column names, no line end
  // The columns a derived table joins this table on, on either side of a
  // reference below. The host's engine cannot join on a long text (Memo)
  // field, so none may hold a value longer than its Text field takes.
  std::vector<std::string> join_keys = {};
};

// The seven source tables, in catalogue order.
const std::array<SourceTable, 7>& SourceTables();

// The tables the build derives, in the order it makes them.
inline constexpr std::array<std::string_view, 3> kDerivedTables = {"KMYE", "PZ", "aidInfo"};

// The derived tables' six statements in the order the build runs them, as
// UTF-8 text (the build sends them in ANSI): KMYE, PZ, PZ's flxh, aidInfo
// and its two inserts.
const std::array<std::u8string_view, 6>& DerivedStatements();

// A reference an outer join of a derived table relies on: each row of
// `rows_table` it takes (those whose `filter_column` holds `filter_value`,
// when one is named) finds the row of `looked_up_table` whose
// `looked_up_column` equals its `key_column`; one it does not find leaves
// the joined values NULL.
struct JoinReference {
  std::string_view derived_table;     // "PZ"
  std::string_view rows_table;        // "BOOKDETAIL"
  std::string_view key_column;        // "BOOKNO"
  std::string_view looked_up_table;   // "BOOK"
  std::string_view looked_up_column;  // "BOOKNO"
  std::string_view filter_column;     // "CANCELED", or empty for every row
  std::string_view filter_value;      // "0"
};

// Every reference of the derived tables' statements, PZ's then KMYE's.
const std::array<JoinReference, 7>& JoinReferences();

// One table of the code clean-up.
struct CleanupEntry {
  std::string table;
  std::vector<std::string> read_columns;  // must all exist
  std::vector<std::string> set_columns;   // the columns rewritten
  // The columns the row is found by, when they are not its codes: a NULL
  // code is emptied only where these all hold values; none, never.
  std::vector<std::string> keys;
};

// The nine entries, in the order the clean-up takes them.
const std::vector<CleanupEntry>& CleanupEntries();

}  // namespace dt

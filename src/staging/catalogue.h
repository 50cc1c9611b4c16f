// The source table catalogue: the seven exported tables the system knows by
// file name, each with the column header line its staged copy carries, so
// that the import names the columns as the later SQL steps expect.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace dt {

struct CatalogueEntry {
  std::string file_name;    // upper case, e.g. "BOOK.TXT"
  std::string header_line;  // comma-separated column names, no line end
  // The columns the derived tables join this table on. The host's engine
  // cannot join on a long text (Memo) field, so none may hold a value longer
  // than its Text field takes.
  std::vector<std::string> join_keys;
};

// The seven entries, in catalogue order.
const std::array<CatalogueEntry, 7>& SourceCatalogue();

// The header line for a found file name: the name is ASCII upper-cased and
// compared byte for byte with each entry's file name. nullptr when none of
// the seven matches. The pointer stays valid for the life of the program.
const std::string* HeaderLineFor(std::string_view file_name);

// The entry for a found file name, matched as HeaderLineFor matches it.
const CatalogueEntry* CatalogueEntryFor(std::string_view file_name);

}  // namespace dt

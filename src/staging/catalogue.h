// The source table catalogue: the seven exported tables the system knows by
// file name (src/model/export_model.h), each with the column header line
// its staged copy carries, so that the import names the columns as the
// later SQL steps expect.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "src/model/export_model.h"

namespace dt {

using CatalogueEntry = SourceTable;

// The seven entries, in catalogue order.
inline const std::array<CatalogueEntry, 7>& SourceCatalogue() { return SourceTables(); }

// The entry for a found file name: the name is ASCII upper-cased and
// compared byte for byte with each entry's file name. nullptr when none of
// the seven matches. The pointer stays valid for the life of the program.
const CatalogueEntry* CatalogueEntryFor(std::string_view file_name);

// The header line of CatalogueEntryFor(file_name); nullptr when none.
const std::string* HeaderLineFor(std::string_view file_name);

}  // namespace dt

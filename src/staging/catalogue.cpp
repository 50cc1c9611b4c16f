// The source table catalogue: finding a found file's entry.
#include "src/staging/catalogue.h"

#include "platform/codepage.h"
#include "src/staging/text_utils.h"

namespace dt {

const CatalogueEntry* CatalogueEntryFor(std::string_view file_name) {
  const std::string upper = platform::AsciiUpperCase(file_name);
  const CatalogueEntry* found = nullptr;
  for (const CatalogueEntry& entry : SourceCatalogue()) {
    if (Equal(upper, entry.file_name)) found = &entry;
  }
  return found;
}

const std::string* HeaderLineFor(std::string_view file_name) {
  const CatalogueEntry* entry = CatalogueEntryFor(file_name);
  return entry != nullptr ? &entry->header_line : nullptr;
}

}  // namespace dt

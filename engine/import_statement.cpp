// A text import as the engines read it: through the stand-in's reading of
// Jet SQL, which the text source runs imports by.
#include "engine/import_statement.h"

#include "engine/error.h"
#include "engine/jetsql/parser.h"
#include "engine/jetsql/select_analysis.h"

namespace dt::engine {

std::optional<ImportReading> ReadImportStatement(std::string_view sql) {
  try {
    return ImportOf(Parse(sql));
  } catch (const Error&) {
    return std::nullopt;
  }
}

}  // namespace dt::engine

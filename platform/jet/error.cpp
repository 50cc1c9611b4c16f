// Formatting an engine error into the message a user reads.
#include "platform/jet/error.h"

#include "platform/jet/sql_text.h"

namespace dt::jet {

std::string Message(const Error& error) {
  if (!error.where()) return error.detail();
  const TextPosition& where = *error.where();
  const std::string line = std::to_string(where.line);
  switch (where.step) {
    case TextStep::kOpen:
      return Concat({"Cannot open text file \"", where.file, "\": ", error.detail()});
    case TextStep::kRead:
      return Concat(
          {"Cannot read text file \"", where.file, "\" near line ", line, ": ", error.detail()});
    case TextStep::kFindHeader:
      return Concat({"Text file '", where.file, "' ", error.detail()});
    case TextStep::kImportHeader:
      return Concat(
          {"Cannot import the header line ", line, " of '", where.file, "': ", error.detail()});
    case TextStep::kImportLine:
      return Concat({"Cannot import line ", line, " of '", where.file, "': ", error.detail()});
  }
  return error.detail();
}

}  // namespace dt::jet

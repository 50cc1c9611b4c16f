// Formatting an engine error into the message a user reads.
#include "engine/error.h"

#include <initializer_list>
#include <string_view>

namespace dt::engine {
namespace {

std::string Join(std::initializer_list<std::string_view> pieces) {
  std::string out;
  for (const std::string_view piece : pieces) out += piece;
  return out;
}

}  // namespace

std::string Message(const Error& error) {
  if (!error.where()) return error.detail();
  const TextPosition& where = *error.where();
  const std::string line = std::to_string(where.line);
  switch (where.step) {
    case TextStep::kOpen:
      return Join({"Cannot open text file \"", where.file, "\": ", error.detail()});
    case TextStep::kRead:
      return Join(
          {"Cannot read text file \"", where.file, "\" near line ", line, ": ", error.detail()});
    case TextStep::kFindHeader:
      return Join({"Text file '", where.file, "' ", error.detail()});
    case TextStep::kImportHeader:
      return Join(
          {"Cannot import the header line ", line, " of '", where.file, "': ", error.detail()});
    case TextStep::kImportLine:
      return Join({"Cannot import line ", line, " of '", where.file, "': ", error.detail()});
  }
  return error.detail();
}

}  // namespace dt::engine

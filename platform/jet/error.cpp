// Formatting an engine error into the message a user reads.
#include "platform/jet/error.h"

namespace dt::jet {

std::string Message(const Error& error) {
  if (!error.where()) return error.detail();
  const TextPosition& where = *error.where();
  return error.detail() + " (" + where.file + ", line " + std::to_string(where.line) + ")";
}

}  // namespace dt::jet

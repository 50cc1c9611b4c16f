// Failure translation between the work-database engine and the system.
#include "src/workdb/engine_translation.h"

#include "platform/codepage.h"

namespace dt::detail {

std::string OleMessage(std::string_view utf8_message) {
  std::string message = platform::Utf8ToAnsi(utf8_message);
  while (!message.empty()) {
    const auto last = static_cast<unsigned char>(message.back());
    if (last != '.' && last > 32) break;
    message.pop_back();
  }
  // The engine always describes its failures; should a description come out
  // empty, say what the system says for a failure without a cause.
  if (message.empty()) message = "Unspecified error";
  return message;
}

}  // namespace dt::detail

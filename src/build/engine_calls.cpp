// Failure translation between the work-database engine and the system.
#include "src/build/engine_calls.h"

#include "platform/codepage.h"

namespace dt::detail {

std::shared_ptr<ConnectionState> Bound(const std::weak_ptr<ConnectionState>& link) {
  auto state = link.lock();
  if (!state) throw EDatabaseError("Missing Connection or ConnectionString");
  return state;
}

void EnsureOpen(ConnectionState& state) {
  if (state.session.IsOpen()) return;
  const std::string utf8 = platform::AnsiToUtf8(state.connection_string);
  CallEngine([&] { state.session.Open(utf8); });
  ++state.generation;
}

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

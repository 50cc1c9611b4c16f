// The connection's shared state: binding and opening on demand.
#include "src/workdb/connection_state.h"

#include "platform/codepage.h"
#include "platform/errors.h"
#include "src/workdb/engine_translation.h"

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

}  // namespace dt::detail

// The connection's shared state: binding, and opening on demand.
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

engine::Engine& ConnectionState::Open() {
  if (IsOpen()) return *engine;
  const std::string utf8 = platform::AnsiToUtf8(connection_string);
  CallEngine([&] {
    if (!engine) engine = engine::MakeEngine(kind);
    engine->Open(utf8);
  });
  ++generation;
  return *engine;
}

}  // namespace dt::detail

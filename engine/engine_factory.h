// Which engine a connection uses, and making it.
#pragma once

#include <memory>

#include "engine/engine.h"

namespace dt::engine {

enum class EngineKind {
  kStandIn,  // the SQLite-based stand-in
  kAdo,      // the host's own engine through ADO (Windows form only)
};

// A new, closed engine of `kind`. Raises engine::Error (kUnsupported) for an
// engine this form does not have.
std::unique_ptr<Engine> MakeEngine(EngineKind kind);

}  // namespace dt::engine

// Which engine a connection uses, and making it.
#pragma once

#include <functional>
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

// For test programs only: while a maker is set, MakeEngine hands every
// request to it instead (a whole run through an engine of the test's
// making); an empty one restores the form's own engines. The form's own
// programs never set one, and nothing of the system reads a setting for it.
using EngineMaker = std::function<std::unique_ptr<Engine>(EngineKind kind)>;
void SetEngineMakerForTesting(EngineMaker maker);

}  // namespace dt::engine

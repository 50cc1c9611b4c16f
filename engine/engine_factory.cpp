// Making the engine a connection uses.
#include "engine/engine_factory.h"

#include "engine/error.h"
#include "engine/standin/standin_engine.h"

namespace dt::engine {

std::unique_ptr<Engine> MakeEngine(EngineKind kind) {
  switch (kind) {
    case EngineKind::kStandIn:
      return std::make_unique<standin::StandInEngine>();
    case EngineKind::kAdo:
      break;
  }
  throw Error(ErrorKind::kUnsupported, "This form has no ADO engine");
}

}  // namespace dt::engine

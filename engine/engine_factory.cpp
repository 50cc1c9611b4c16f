// Making the engine a connection uses.
#include "engine/engine_factory.h"

#include "engine/error.h"
#include "engine/standin/standin_engine.h"
#ifdef _WIN32
#include "engine/ado/ado_engine.h"
#include "engine/ado/ado_errors.h"
#include "engine/ado/com_connection.h"
#endif

namespace dt::engine {

std::unique_ptr<Engine> MakeEngine(EngineKind kind) {
  switch (kind) {
    case EngineKind::kStandIn:
      return std::make_unique<standin::StandInEngine>();
    case EngineKind::kAdo:
#ifdef _WIN32
      try {
        return std::make_unique<ado::AdoEngine>(ado::NewComConnection());
      } catch (const ado::Failure& failure) {
        throw ado::ToError(failure);
      }
#else
      break;
#endif
  }
  throw Error(ErrorKind::kUnsupported, "This form has no ADO engine");
}

}  // namespace dt::engine

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
namespace {

// Made on first use, so that a test program's static set-up may set it
// before or after this file's own statics are made.
EngineMaker& TestingMaker() {
  static EngineMaker maker;
  return maker;
}

}  // namespace

void SetEngineMakerForTesting(EngineMaker maker) { TestingMaker() = std::move(maker); }

std::unique_ptr<Engine> MakeEngine(EngineKind kind) {
  if (const EngineMaker& maker = TestingMaker()) return maker(kind);
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

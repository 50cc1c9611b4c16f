// The ADO interface of ado_api.h over the system's ADO (msado15 through
// COM), Windows form only.
#pragma once

#include <memory>

#include "engine/ado/ado_api.h"

namespace dt::engine::ado {

// A new, closed ADO Connection object. REQUIRES: COM initialised on the
// calling thread (platform/com_scope.h), which uses every object made from
// it. Raises Failure when ADO is not there.
std::unique_ptr<Connection> NewComConnection();

}  // namespace dt::engine::ado

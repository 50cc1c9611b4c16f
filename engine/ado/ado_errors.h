// What an ADO failure means to the engine's caller: its message and its
// error kind.
#pragma once

#include "engine/ado/ado_api.h"
#include "engine/error.h"

namespace dt::engine::ado {

// The message: the provider's description; when there is none, the first
// description of the connection's Errors collection; then the system's text
// for the HRESULT; when there is none either, "OLE error %.8x" with the
// HRESULT. Each is taken without its trailing
// periods, spaces and control characters, and one that is left empty counts
// as none.
std::string FailureMessage(const Failure& failure);

// The kind: a failure of the system under the provider (the disk, memory,
// the engine's own limits on locks and open files, a lock held by another)
// by the provider's native error numbers or the HRESULT; anything else is
// ErrorKind::kOther.
ErrorKind FailureKind(const Failure& failure);

// The failure as the engine raises it.
Error ToError(const Failure& failure);

}  // namespace dt::engine::ado

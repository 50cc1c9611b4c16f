// What a connection's Errors collection tells about a failed call: the
// provider's own error numbers and its description, added to the failure
// the call's HRESULT and error information make (com_support.h). Jet
// delivers its numbers only there, and ado_errors.h classes a failure by
// them. Includes the system's COM headers; only engine/ado/com includes it.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <unknwn.h>

#include "engine/ado/ado_api.h"

namespace dt::engine::ado::com {

// `failure` with the numbers and the first description of `errors`, an ADO
// Errors collection (asked for its interface, Errors 00000501-...): of each
// Error, its NativeError and, when it is a number of at most four digits,
// its SQLState, where Jet reports its own number (a standard five-character
// SQLSTATE is no such number), after the numbers `failure` holds; the
// Description of the first Error as the collection's description. An Error
// that cannot be read is passed over. Unchanged when `errors` is null or is
// no Errors collection.
// The collection is cleared once read, so that a later failure that leaves
// nothing there is not told by this one's entries.
Failure WithConnectionErrors(const Failure& failure, IUnknown* errors);

}  // namespace dt::engine::ado::com

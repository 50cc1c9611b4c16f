// The run result as the host receives it: a system wide string written into
// the host's variable by reallocation, so an old string there is released.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/oleaut/oleaut.h"
#include "platform/stdcall.h"

namespace dt {

// The OLE strings library's reallocation (SysReAllocStringLen).
using ReAllocStringFunction = int(DT_STDCALL*)(BSTR* target, const char16_t* text,
                                               std::uint32_t length);

// Stores `ansi_text`, converted to UTF-16, into *`result` with `reallocate`.
// A null `result` (no variable to write) is ignored. Returns false when
// nothing was stored; the variable then keeps what it held.
bool StoreRunResult(BSTR* result, std::string_view ansi_text, ReAllocStringFunction reallocate);

}  // namespace dt

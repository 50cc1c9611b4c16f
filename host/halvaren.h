// The host application's log library, as this system's host stand-in
// provides it: one exported function, WriteLog, which the plug-in binds
// when it is loaded.
#pragma once

#include <cstdint>

#include "platform/stdcall.h"

#if defined(DT_BUILDING_HALVAREN)
#define DT_HALVAREN_API DT_EXPORT
#else
#define DT_HALVAREN_API
#endif

extern "C" {

// Appends one entry: `kind`, a tab, `message` (NUL-terminated UTF-16,
// normally a system wide string; null reads as empty) and a line end, as
// UTF-8, to the file named by the environment variable HALVAREN_LOG, or to
// standard error when it is unset or empty. `module` identifies the caller
// and is not written. Never fails back into the caller: an entry that
// cannot be written is dropped.
DT_HALVAREN_API void DT_STDCALL WriteLog(void* module, std::int32_t kind, const char16_t* message);

}  // extern "C"

// Making a finished file durable: what was written to it, by any handle of
// any process, is on the disk before the call returns, so a power loss
// after it cannot take the file back.
#pragma once

#include <string>

namespace dt::platform {

// Flushes the file `ansi_path` to the disk. On POSIX its folder is flushed
// too, so that the file's name (a file just put in place by a rename)
// survives with it; on Windows the file system's own journal records names.
// Returns true on success; else false with the OS's error code in
// *error_code (a file that cannot be opened, or a write the disk refused).
bool SyncToDisk(const std::string& ansi_path, int* error_code);

}  // namespace dt::platform

// The name of the temporary sibling a file is written in before it replaces
// its target (OutputFile, CopyFile), on both platforms: "~dt<process
// id>.<counter>.tmp" in the target's folder. The process id and a counter
// make it unique among runs; it is short, so a target whose own name is
// near the file system's limit still gets one. A process killed while it
// writes leaves such a file behind, which RemoveLeftoverTemporaries
// (leftover_files.h) recognises by this name. Only the platform's own files
// include this.
#pragma once

#include <string>
#include <string_view>

namespace dt::platform {

// A name this process has not given out before. Thread-safe.
std::string TemporaryName(unsigned long process_id);

// True when `name` (a file name, no folder) is one TemporaryName gives, of
// any process.
bool IsTemporaryName(std::string_view name) noexcept;

}  // namespace dt::platform

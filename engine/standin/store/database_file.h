// What the engine keeps beside a database file: its rollback journal (and,
// for a database once opened in write-ahead-log mode, the log and its index).
#pragma once

#include <string>

namespace dt::engine::standin {

// Removes the side files of the database at `path` (UTF-8). Call it before
// the file is replaced by another: a journal left by a session cut short
// would otherwise be played back into the new file when it is next opened,
// bringing the old pages back. Raises engine::Error naming a side file that
// exists and cannot be removed.
void DiscardSideFiles(const std::string& path);

}  // namespace dt::engine::standin

// What the engine keeps beside a database file: its rollback journal (and,
// for a database once opened in write-ahead-log mode, the log and its index).
#pragma once

#include <string>
#include <vector>

namespace dt::engine::standin {

// Removes the side files of the database at `path` (UTF-8). Call it before
// the file is replaced by another: a journal left by a session cut short
// would otherwise be played back into the new file when it is next opened,
// bringing the old pages back. Raises engine::Error naming a side file that
// exists and cannot be removed.
void DiscardSideFiles(const std::string& path);

// The side files beside the database at `path` (UTF-8) that hold changes
// the file itself lacks: a write-ahead log with frames in it, or a rollback
// journal with content (an edit cut short, which SQLite plays back when it
// next opens the file). Empty ones say nothing and are not listed.
std::vector<std::string> PendingSideFiles(const std::string& path);

}  // namespace dt::engine::standin

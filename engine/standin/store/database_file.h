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
// the file itself lacks, as SQLite tells them when it next opens the file: a
// write-ahead log with a valid header and a committed frame after it, or a
// hot rollback journal (one with a valid header: an edit cut short, which
// SQLite plays back). Others (empty, or a journal kept in persist mode,
// whose header SQLite zeroed) say nothing and are not listed; one that
// exists and cannot be read may hold anything, and is.
std::vector<std::string> PendingSideFiles(const std::string& path);

}  // namespace dt::engine::standin

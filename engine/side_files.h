// What an engine keeps beside a database file (a rollback journal, a lock
// file), which must go before the file is replaced by another: a journal
// left by a run cut short would otherwise be played back into the new file
// when it is next opened, bringing the old pages back.
#pragma once

#include <string>
#include <vector>

namespace dt::engine {

// Removes the side files that any engine of this form keeps beside the
// database at `path` (UTF-8); one that is not there is fine. Raises
// engine::Error naming a side file that exists and cannot be removed.
void DiscardSideFiles(const std::string& path);

// The side files beside the database at `path` (UTF-8) holding changes that
// the file alone lacks, so that a copy of the file alone would lose them or
// bring back an edit that never committed; empty when it is settled.
std::vector<std::string> PendingSideFiles(const std::string& path);

}  // namespace dt::engine

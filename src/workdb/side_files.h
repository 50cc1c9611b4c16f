// The engine's side files of a database file (its rollback journal and the
// like), which must go before the file is replaced: a journal left by a run
// cut short would otherwise be played back into the fresh copy.
#pragma once

#include <string>
#include <vector>

namespace dt {

// Removes the side files of the database file at the native ANSI path
// `ansi_database_path`; a side file that is not there is fine. Raises
// EOleException when one exists and cannot be removed.
void DiscardSideFiles(const std::string& ansi_database_path);

// The side files beside the database file at `ansi_database_path` that hold
// changes the file alone lacks (engine/side_files.h), as ANSI paths.
std::vector<std::string> PendingSideFiles(const std::string& ansi_database_path);

}  // namespace dt

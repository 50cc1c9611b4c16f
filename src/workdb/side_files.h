// The engine's side files of a database file (its rollback journal and the
// like), which must go before the file is replaced: a journal left by a run
// cut short would otherwise be played back into the fresh copy.
#pragma once

#include <string>

namespace dt {

// Removes the side files of the database file at the native ANSI path
// `ansi_database_path`; a side file that is not there is fine. Raises
// EOleException when one exists and cannot be removed.
void DiscardSideFiles(const std::string& ansi_database_path);

}  // namespace dt

// The build: a fresh work database from the template, each source file staged
// and imported, then the account code rebuild, the derived tables and the
// code clean-up pass, in that order.
#pragma once

#include <string>
#include <vector>

#include "src/workdb/build_events.h"

namespace dt {

class Connection;

// REQUIRES: `base_directory` ends with PathDelim and holds DataBase/empty.mdb
// and the staging folder TemplateTemp (letter case of these names ignored).
// `connection` is closed first if it is open. On return the work database
// (staging folder + "KORVA.mdb") is complete and `connection` is open on it.
// Tolerated statement failures go to events.Log; any other failure raises an
// Exception that ends the build where it happened (a template that cannot be
// copied included); work already done stays on disk.
void RunBuild(const std::string& base_directory, const std::vector<std::string>& source_list,
              Connection& connection, BuildEvents& events);

}  // namespace dt

// The build: a fresh work database from the template, each source file staged
// and imported, then the account code rebuild, the derived tables and the
// code clean-up pass, in that order.
#pragma once

#include <string>
#include <vector>

#include "src/build/build_events.h"

namespace dt {

class Connection;

// REQUIRES: `base_directory` ends with PathDelim; `connection` is closed.
// On return the work database (staging directory + "KORVA.mdb") is complete
// and `connection` is open on it. Any failure raises an Exception that ends
// the build where it happened; work already done stays on disk.
void RunBuild(const std::string& base_directory, const std::vector<std::string>& source_list,
              Connection& connection, BuildEvents& events);

}  // namespace dt

// The build: a fresh work database from the template, each source file staged
// and imported, then the account code rebuild, the derived tables and the
// code clean-up pass, in that order.
#pragma once

#include <string>
#include <vector>

#include "src/workdb/build_events.h"
#include "src/workdb/work_database.h"

namespace dt {

class Connection;

// REQUIRES: `paths` are the run's (MakeWorkPaths); the template database and
// the staging folder exist; no other run works in that staging folder
// meanwhile.
// `connection` is closed first if it is open. Before anything is written,
// the source list and then the fresh copy of the template are checked
// (build_checks.h). On return the work database is complete and flushed to
// disk, and `connection` is closed (its connection string still names the
// work database). Tolerated
// statement failures go to events.Log; any other failure raises an
// Exception that ends the build where it happened (a template that cannot be
// copied, or a work database that cannot be flushed, included); work already
// done stays on disk. The staged files are read in `encoding`.
void RunBuild(const WorkPaths& paths, const std::vector<std::string>& source_list,
              Connection& connection, BuildEvents& events,
              SourceEncoding encoding = SourceEncoding::kAuto);

}  // namespace dt

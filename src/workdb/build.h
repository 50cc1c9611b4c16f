// The build, in the order of its steps: the checks (build_checks.h), a
// fresh work database copied from the template and opened with the engine
// its format calls for, every source file staged and imported into it
// (imports.h), then the account code rebuild, the derived tables and the
// code clean-up pass, and the save. The short steps of the work database
// itself (the engine's choice, the copy, the connection and the save) are
// declared here too.
#pragma once

#include <string>
#include <vector>

#include "src/staging/source_encoding.h"
#include "src/workdb/build_events.h"
#include "src/workdb/work_paths.h"

namespace dt {

class Connection;

// Which templates a run takes: any that an engine of this form opens, or
// only an Access (Jet 3 or Jet 4) file, for the plug-in the host loads,
// which reads the work database with the Jet 4.0 provider whatever engine
// made it.
enum class TemplateRule { kAnyEngine, kJetOnly };

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
// done stays on disk. The staged files are read in `encoding`; the
// template must be one `templates` takes (ChooseEngine).
void RunBuild(const WorkPaths& paths, const std::vector<std::string>& source_list,
              Connection& connection, BuildEvents& events,
              SourceEncoding encoding = SourceEncoding::kAuto,
              TemplateRule templates = TemplateRule::kAnyEngine);

// Sets the connection's engine to the one this form opens the template
// with, told by the template's own first bytes (database_format.h), before
// anything is copied. REQUIRES: the connection is closed. Raises Exception
// naming the template when it is not a regular file, when this form cannot
// read its format (an Access file on POSIX; an ACE file, which the host's
// Jet 4.0 provider cannot open, on either form; under kJetOnly anything but
// a Jet 3 or Jet 4 file; the message names the format), or when an SQLite
// template has a write-ahead log or a rollback journal with content beside
// it (naming that file and how to settle it); EFOpenError when the template
// cannot be read.
void ChooseEngine(const WorkPaths& paths, Connection& connection,
                  TemplateRule templates = TemplateRule::kAnyEngine);

// Replaces the work database with a copy of the template. Raises Exception
// "Cannot copy file "<template>" to "<work database>". <system text>" when
// the copy fails: a work database left by an earlier run must never be
// taken for this run's. The engine's journal left beside it by a run cut
// short is removed first, so it cannot be played back into the fresh copy.
void CopyTemplate(const WorkPaths& paths);

// Closes the connection and opens it on the work database; EOleException
// when that cannot be opened.
void ConnectWorkDatabase(const WorkPaths& paths, Connection& connection);

// Ends the build's work on the work database: flushes the file to disk
// while the connection still holds it, then closes the connection. Raises
// Exception "Cannot write "<work database>" to disk. <system text>" when
// the flush fails, and what closing raises; success means every table the
// build made survives a crash of the program or a power loss from then on.
void SaveWorkDatabase(const WorkPaths& paths, Connection& connection);

}  // namespace dt

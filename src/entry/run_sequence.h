// The run sequence: source discovery, then the build, then the result path.
// The run window's start timer runs it inside its modal loop; the command-
// line tool runs the same sequence directly.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "src/staging/source_encoding.h"
#include "src/workdb/build.h"
#include "src/workdb/build_events.h"

namespace dt {

class Connection;

// REQUIRES: `base_directory` ends with PathDelim, `source_directory` has no
// trailing one, `source_list` is empty and `connection` is closed.
// Locks the staging folder for the whole run (the lock file
// "dealtext.lock" there; the OS releases it should the process die) and
// removes the temporaries a killed run left in it; discovers the text files
// of source_directory + PathDelim into `source_list` (calling `after_entry`
// after each entry after the first; a skipped file goes to events.Log),
// runs the build on them (the staged files read in `encoding`, the template
// one `templates` takes) and returns
// the work database's path once the database is flushed to disk and closed:
// base + the staging folder as the build finds it (the child of base named
// "TemplateTemp", the exact spelling preferred, else ignoring letter case) +
// PathDelim + "KORVA.mdb". The run's paths are made once, before the lock.
// A staging folder that another run holds raises Exception "The staging
// folder "<folder>" is in use by another run" before anything is changed;
// so does a staging folder that is the source folder itself (the same
// folder by the file system's identity, through links too): "The staging
// folder "<folder>" is the source folder "<source>": the run would write
// among the exports".
// Every failure of discovery or the build propagates as it was raised; work
// done before it stays on disk.
std::string RunSequence(const std::string& source_directory, const std::string& base_directory,
                        std::vector<std::string>& source_list, Connection& connection,
                        BuildEvents& events, const std::function<void()>& after_entry,
                        SourceEncoding encoding = SourceEncoding::kAuto,
                        TemplateRule templates = TemplateRule::kAnyEngine);

// The run failure message: the fixed ANSI frame immediately followed by
// `error_text`, with nothing between them.
std::string RunFailureMessage(std::string_view error_text);

// The text of an error that ended a run: this system's own errors give
// their whole message, others (the runtime's) their what().
std::string ErrorText(const std::exception& error);

// The run failure message for an error that ended a run, with its ErrorText.
std::string RunFailureMessage(const std::exception& error);

}  // namespace dt

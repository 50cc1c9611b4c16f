// Where the tool may put its own files, the log (--log) and the report
// (--report): never over a file the run reads or writes, and never in a
// folder whose files the run takes as its own. Folders are told apart by the
// file system's identity (platform::SameFile), as the run tells the staging
// folder from the source folder, so no second name of a folder (a link, a
// bind mount, another letter case) passes for another folder.
#pragma once

#include <optional>
#include <string>

namespace dt {
struct WorkPaths;
}

namespace dt::cli {

// What the tool writes to the file: the log is appended to during the run,
// the report written when it ends.
enum class OutputKind { kLog, kReport };

// REQUIRES: `paths` are the run's, `source_directory` its source folder
// (ANSI, absolute).
// Why the file named `utf8_path` may not take the tool's output of `kind`,
// as the words that follow its name ("is the work database: ..."), or
// nothing when it may. Refused: the work database or the template (by name
// or through a link), any file of the staging folder, the template's folder
// or the source folder (named there, or a link into one), and an existing
// entry that is not a regular file (a device, a pipe, a folder).
std::optional<std::string> RefusedOutputTarget(const std::string& utf8_path, OutputKind kind,
                                               const WorkPaths& paths,
                                               const std::string& source_directory);

}  // namespace dt::cli

// What the build tells the run that drives it: progress, host log messages
// and, for views such as the command-line tool, which phase it is in.
#pragma once

#include <string>

namespace dt {

// The phases of a run, in their order. The run sequence announces the
// first two, the build the rest.
enum class BuildPhase {
  kLock,           // the staging folder locked for the run, leftovers removed
  kDiscovery,      // the source folder listed
  kChecks,         // the source list and the template checked
  kTemplateCopy,   // fresh work database from the template
  kStaging,        // one source file copied and given its header line
  kImport,         // one staged file imported as a table
  kAccountCodes,   // NewCode rebuilt
  kDerivedTables,  // KMYE, PZ, aidInfo
  kCleanup,        // code columns rewritten
  kSave,           // the work database flushed to disk and closed
};

class BuildEvents {
 public:
  virtual ~BuildEvents() = default;
  // Advance the run's progress by `parts` of 100; the receiver caps it.
  virtual void AdvanceProgress(int parts) = 0;
  // One message for the host log, as ANSI text; the receiver converts it.
  virtual void Log(const std::string& ansi_message) = 0;
  // The statement `ansi_statement`, whose failure the build tolerates,
  // failed with the error text `ansi_error`; its statement failure message
  // has just been logged.
  virtual void StatementFailed(const std::string& /*ansi_statement*/,
                               const std::string& /*ansi_error*/) {}
  // The run enters `phase`; `detail` (ANSI) names the file, folder or
  // table it works on, if any. A phase may be entered more than once.
  virtual void PhaseStarted(BuildPhase /*phase*/, const std::string& /*detail*/) {}
};

}  // namespace dt

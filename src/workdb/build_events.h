// What the build tells the run that drives it: progress, host log messages
// and, for views such as the command-line tool, which phase it is in.
#pragma once

#include <string>

namespace dt {

enum class BuildPhase {
  kTemplateCopy,   // fresh work database from the template
  kStaging,        // one source file copied and given its header line
  kImport,         // one staged file imported as a table
  kAccountCodes,   // NewCode rebuilt
  kDerivedTables,  // KMYE, PZ, aidInfo
  kCleanup,        // code columns rewritten
};

class BuildEvents {
 public:
  virtual ~BuildEvents() = default;
  // Advance the run's progress by `parts` of 100; the receiver caps it.
  virtual void AdvanceProgress(int parts) = 0;
  // One message for the host log, as ANSI text; the receiver converts it.
  virtual void Log(const std::string& ansi_message) = 0;
  // The build enters `phase`; `detail` (ANSI) names the file or table, if any.
  virtual void PhaseStarted(BuildPhase /*phase*/, const std::string& /*detail*/) {}
};

}  // namespace dt

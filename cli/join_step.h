// The join check as a step of the tool's run. It stands between the build
// and the tool's view, passing every event on, and checks the joins once,
// when the build enters its code clean-up: the derived tables are made and
// committed then, and the codes are still those their joins compared. The
// rows' source lines are found at the same time, from the staged files.
// After a completed run it tells what it found: summary lines, and the
// report file when one was asked for.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/join_report.h"
#include "cli/tool_view.h"

namespace dt::cli {

// The run succeeded but the report asked for could not be made or written.
inline constexpr int kExitReportFailed = 3;

class JoinCheckStep : public BuildEvents {
 public:
  // `source_list` is the run's (filled by discovery before the check);
  // `every_line` finds the source line of every broken reference (for a
  // report file), else of the summary's examples only; without `enabled`
  // the events are only passed on.
  JoinCheckStep(ToolView& view, const std::vector<std::string>& source_list, bool every_line,
                bool enabled = true);

  void AdvanceProgress(int parts) override;
  void Log(const std::string& ansi_message) override;
  void StatementFailed(const std::string& ansi_statement, const std::string& ansi_error) override;
  void PhaseStarted(BuildPhase phase, const std::string& detail) override;

  // After a completed run. Writes the summary lines to `err` unless `quiet`
  // (a line saying why when the joins could not be checked), then the
  // report to `utf8_report_path` unless it is empty (HTML for a name
  // ending in .html or .htm, else CSV). Returns 0, or kExitReportFailed
  // with an error on `err` saying that the run itself succeeded.
  int Finish(std::ostream& err, bool quiet, const std::string& utf8_report_path);

 private:
  void RunCheck();
  void FindLines();

  ToolView& view_;
  const std::vector<std::string>& source_list_;
  bool every_line_;
  bool enabled_;
  std::string staging_directory_;  // ANSI, ends with the delimiter
  std::string work_database_;      // ANSI
  bool checked_ = false;
  std::optional<JoinCheck> check_;
  std::string failure_;  // why there is no check (UTF-8)
};

}  // namespace dt::cli

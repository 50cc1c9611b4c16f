// What the command-line tool shows while the run goes on: the build's
// progress (a bar redrawn in place on a terminal, plain lines otherwise),
// every log message, and the time spent in each phase.
#pragma once

#include <chrono>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "src/workdb/build_events.h"

namespace dt::cli {

class ToolView : public BuildEvents {
 public:
  // Writes to `err`; `log_file`, when open, also gets every log message.
  // `quiet` shows no progress; `terminal` redraws one bar line in place.
  ToolView(std::ostream& err, std::ofstream* log_file, bool quiet, bool terminal);

  void AdvanceProgress(int parts) override;
  void Log(const std::string& ansi_message) override;
  void PhaseStarted(BuildPhase phase, const std::string& detail) override;

  void StatementFailed(const std::string& ansi_statement, const std::string& ansi_error) override;
  // A step of the tool's own within the run, timed and shown as a phase:
  // `name` in the phase times, `utf8_doing` in a failure report.
  void StepStarted(const std::string& name, const std::string& utf8_doing);

  // The report of a run that ended on the error `utf8_error` (UTF-8 in and
  // out): "failed while <doing>: <error>", where <doing> is what the run
  // did when it last entered a phase, with the file or table ("staging
  // BOOK.TXT"). When statements' failures were logged before, other than
  // that error itself, one follows, for the error is often only its
  // consequence (a table it left missing): the first whose statement or
  // error names a table the error names ('item'), as " (after a failed
  // statement while <what the run was doing then>: <its error>)"; failing
  // that, the first, said to be only that: " (the first of <N> failed
  // statements, while <doing>: <error>)", or with one, " (a statement failed
  // before it, while <doing>: <error>)".
  std::string FailureReport(const std::string& utf8_error) const;
  // Ends the phase under way; the progress line is finished and not drawn
  // again, whatever is logged after it.
  void Finish();
  // One line per phase that ran, in run order: "phase <name> <seconds>",
  // then "phase total <seconds>".
  void PrintPhaseTimes() const;

 private:
  using Clock = std::chrono::steady_clock;
  void EnterPhase(const std::string& name);
  void Draw();
  void ClearBarLine();

  std::ostream& err_;
  std::ofstream* log_file_;
  bool quiet_;
  bool terminal_;
  bool bar_drawn_ = false;
  platform::ProgressBar bar_;
  std::string phase_;
  std::string detail_;  // UTF-8
  std::string doing_;   // UTF-8
  // Each statement failure logged: where the run was, the statement and
  // its error, in UTF-8.
  struct StatementFailure {
    std::string doing;
    std::string statement;
    std::string error;
  };
  std::vector<StatementFailure> failures_;
  Clock::time_point phase_start_{};
  bool running_ = false;
  std::vector<std::string> phase_order_;
  std::map<std::string, double> phase_seconds_;
};

// The name of `phase` in the tool's output.
const char* PhaseName(BuildPhase phase);

}  // namespace dt::cli

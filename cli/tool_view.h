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

  // What the run was doing when it last entered a phase, with the file or
  // table (UTF-8): "staging BOOK.TXT". Empty before the first phase.
  const std::string& Doing() const { return doing_; }
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
  Clock::time_point phase_start_{};
  bool running_ = false;
  std::vector<std::string> phase_order_;
  std::map<std::string, double> phase_seconds_;
};

// The name of `phase` in the tool's output.
const char* PhaseName(BuildPhase phase);

}  // namespace dt::cli

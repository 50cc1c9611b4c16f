// The tool's view of a run on standard error.
#include "cli/tool_view.h"

#include <algorithm>
#include <cstdio>

#include "platform/codepage.h"
#include "src/entry/progress.h"

namespace dt::cli {

namespace {

// Each phase's name in the tool's output, and what the run does in it, as
// the failure report says it ("staging BOOK.TXT").
struct PhaseWords {
  const char* name;
  const char* doing;  // followed by the phase's detail, if any
};

PhaseWords WordsFor(BuildPhase phase) {
  switch (phase) {
    case BuildPhase::kLock:
      return {"lock", "locking the staging folder"};
    case BuildPhase::kDiscovery:
      return {"discovery", "listing the source folder"};
    case BuildPhase::kChecks:
      return {"checks", "checking"};
    case BuildPhase::kTemplateCopy:
      return {"template-copy", "copying the template to"};
    case BuildPhase::kStaging:
      return {"staging", "staging"};
    case BuildPhase::kImport:
      return {"import", "importing"};
    case BuildPhase::kAccountCodes:
      return {"account-codes", "rebuilding the account codes of"};
    case BuildPhase::kDerivedTables:
      return {"derived-tables", "deriving KMYE, PZ and aidInfo"};
    case BuildPhase::kCleanup:
      return {"cleanup", "cleaning the codes of"};
    case BuildPhase::kSave:
      return {"save", "saving"};
  }
  return {"unknown", "running"};
}

// The names an error quotes in single quotes: the tables and fields it is
// about ("Table 'item' does not exist").
std::vector<std::string> QuotedNames(const std::string& error) {
  std::vector<std::string> names;
  for (std::size_t open = error.find('\''); open != std::string::npos;) {
    const std::size_t close = error.find('\'', open + 1);
    if (close == std::string::npos) break;
    if (close > open + 1) names.push_back(error.substr(open + 1, close - open - 1));
    open = error.find('\'', close + 1);
  }
  return names;
}

bool IsWordByte(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// True when `text` holds `name` as a whole word, ignoring ASCII letter case
// as the engine does in names.
bool NamesWord(const std::string& text, const std::string& name) {
  if (name.empty() || text.size() < name.size()) return false;
  for (std::size_t at = 0; at + name.size() <= text.size(); ++at) {
    if ((at > 0 && IsWordByte(text[at - 1])) ||
        (at + name.size() < text.size() && IsWordByte(text[at + name.size()]))) {
      continue;
    }
    if (platform::EqualIgnoringAsciiCase(std::string_view(text).substr(at, name.size()), name)) {
      return true;
    }
  }
  return false;
}

}  // namespace

const char* PhaseName(BuildPhase phase) { return WordsFor(phase).name; }

ToolView::ToolView(std::ostream& err, std::ofstream* log_file, bool quiet, bool terminal)
    : err_(err), log_file_(log_file), quiet_(quiet), terminal_(terminal) {
  bar_.OnPaint = [this](const platform::ProgressBar&) { Draw(); };
}

void ToolView::AdvanceProgress(int parts) { dt::AdvanceProgress(bar_, parts); }

void ToolView::Log(const std::string& ansi_message) {
  const std::string text = platform::AnsiToUtf8(ansi_message);
  ClearBarLine();
  err_ << text << '\n';
  err_.flush();
  if (log_file_ != nullptr && log_file_->is_open()) {
    *log_file_ << text << '\n';
    log_file_->flush();
  }
  Draw();
}

void ToolView::StatementFailed(const std::string& ansi_statement, const std::string& ansi_error) {
  failures_.push_back(
      {doing_, platform::AnsiToUtf8(ansi_statement), platform::AnsiToUtf8(ansi_error)});
}

std::string ToolView::FailureReport(const std::string& utf8_error) const {
  std::string report = "failed while " + doing_ + ": " + utf8_error;
  std::vector<const StatementFailure*> before;
  for (const StatementFailure& failure : failures_) {
    if (failure.error != utf8_error || failure.doing != doing_) before.push_back(&failure);
  }
  if (before.empty()) return report;
  const std::vector<std::string> tables = QuotedNames(utf8_error);
  const auto names_a_table = [&](const StatementFailure* failure) {
    return std::any_of(tables.begin(), tables.end(), [&](const std::string& table) {
      return NamesWord(failure->statement, table) || NamesWord(failure->error, table);
    });
  };
  const auto cause = std::find_if(before.begin(), before.end(), names_a_table);
  if (cause != before.end()) {
    return report + " (after a failed statement while " + (*cause)->doing + ": " + (*cause)->error +
           ")";
  }
  const std::string first = before.front()->doing + ": " + before.front()->error + ")";
  if (before.size() == 1) return report + " (a statement failed before it, while " + first;
  return report + " (the first of " + std::to_string(before.size()) + " failed statements, while " +
         first;
}

void ToolView::PhaseStarted(BuildPhase phase, const std::string& detail) {
  detail_ = platform::AnsiToUtf8(detail);
  doing_ = WordsFor(phase).doing;
  if (!detail_.empty()) doing_ += ' ' + detail_;
  EnterPhase(PhaseName(phase));
  if (!quiet_ && !terminal_) {
    err_ << phase_ << (detail_.empty() ? "" : " ") << detail_ << '\n';
  }
  Draw();
}

void ToolView::StepStarted(const std::string& name, const std::string& utf8_doing) {
  detail_.clear();
  doing_ = utf8_doing;
  EnterPhase(name);
  if (!quiet_ && !terminal_) err_ << phase_ << '\n';
  Draw();
}

void ToolView::EnterPhase(const std::string& name) {
  const Clock::time_point now = Clock::now();
  if (running_) phase_seconds_[phase_] += std::chrono::duration<double>(now - phase_start_).count();
  if (!phase_seconds_.contains(name)) {
    phase_seconds_[name] = 0.0;
    phase_order_.push_back(name);
  }
  phase_ = name;
  phase_start_ = now;
  running_ = true;
}

void ToolView::Finish() {
  if (running_) {
    phase_seconds_[phase_] += std::chrono::duration<double>(Clock::now() - phase_start_).count();
    running_ = false;
  }
  if (terminal_ && bar_drawn_) {
    err_ << '\n';
    bar_drawn_ = false;
  }
}

void ToolView::PrintPhaseTimes() const {
  char line[128];
  double total = 0.0;
  for (const std::string& name : phase_order_) {
    const double seconds = phase_seconds_.at(name);
    total += seconds;
    std::snprintf(line, sizeof line, "phase %s %.3f\n", name.c_str(), seconds);
    err_ << line;
  }
  std::snprintf(line, sizeof line, "phase total %.3f\n", total);
  err_ << line;
}

void ToolView::Draw() {
  // Once the run has finished the bar line is done: a message after it
  // must not bring it back.
  if (quiet_ || !terminal_ || !running_) return;
  constexpr int kWidth = 30;
  const int filled = std::clamp(bar_.Percent, 0, 100) * kWidth / 100;
  std::string line = "\r[";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kWidth - filled), '.');
  char percent[16];
  std::snprintf(percent, sizeof percent, "] %3d%% ", bar_.Percent);
  line += percent;
  line += phase_;
  if (!detail_.empty()) {
    // A path shows by its last part, so the bar stays on one line.
    const std::size_t slash = detail_.find_last_of('/');
    line += ' ';
    line += slash == std::string::npos ? detail_ : detail_.substr(slash + 1);
  }
  line += "\x1b[K";  // clear what a longer previous line left
  err_ << line;
  err_.flush();
  bar_drawn_ = true;
}

void ToolView::ClearBarLine() {
  if (terminal_ && bar_drawn_) {
    err_ << "\r\x1b[K";
    bar_drawn_ = false;
  }
}

}  // namespace dt::cli

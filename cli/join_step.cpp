// The join check's place in the tool's run, and what it tells afterwards.
#include "cli/join_step.h"

#include <exception>
#include <map>

#include "cli/report_writer.h"
#include "cli/source_lines.h"
#include "platform/codepage.h"
#include "src/staging/text_utils.h"
#include "src/workdb/imports.h"

namespace dt::cli {

JoinCheckStep::JoinCheckStep(ToolView& view, const std::vector<std::string>& source_list,
                             bool every_line, bool enabled)
    : view_(view), source_list_(source_list), every_line_(every_line), enabled_(enabled) {}

void JoinCheckStep::AdvanceProgress(int parts) { view_.AdvanceProgress(parts); }
void JoinCheckStep::Log(const std::string& ansi_message) { view_.Log(ansi_message); }
void JoinCheckStep::StatementFailed(const std::string& ansi_statement,
                                    const std::string& ansi_error) {
  view_.StatementFailed(ansi_statement, ansi_error);
}

void JoinCheckStep::PhaseStarted(BuildPhase phase, const std::string& detail) {
  if (phase == BuildPhase::kTemplateCopy) {
    work_database_ = detail;
    staging_directory_ = detail.substr(0, detail.size() - FileNamePart(detail).size());
  }
  if (phase == BuildPhase::kCleanup && enabled_ && !checked_) {
    checked_ = true;
    view_.StepStarted("joins", "checking the joins of PZ and KMYE");
    RunCheck();
  }
  view_.PhaseStarted(phase, detail);
}

void JoinCheckStep::RunCheck() {
  try {
    check_ = CheckJoins(platform::AnsiToUtf8(work_database_), /*examples_only=*/!every_line_);
    for (RelationResult& result : check_->results) {
      for (const std::string& entry : source_list_) {
        const std::string file = FileNamePart(entry);
        if (platform::AnsiEqualIgnoringAsciiCase(ImportedTableName(file),
                                                 result.relation->source_table)) {
          result.source_file = platform::AnsiToUtf8(file);
        }
      }
    }
    FindLines();
  } catch (const std::exception& error) {
    check_.reset();
    failure_ = error.what();
  }
}

void JoinCheckStep::FindLines() {
  // One reading of each source table's staged file for all its relations.
  std::map<std::string, std::vector<BrokenReference*>> wanted;  // staged file (UTF-8) -> rows
  std::vector<BrokenReference*> rows;
  if (every_line_) {
    for (RelationResult& result : check_->results) {
      for (BrokenReference& row : result.rows) rows.push_back(&row);
    }
  } else {
    rows = ExampleRows(*check_);
  }
  for (RelationResult& result : check_->results) {
    if (result.source_file.empty()) continue;  // its file is unknown: rows keep their places
    const std::string staged = platform::AnsiToUtf8(staging_directory_) + result.source_file;
    for (BrokenReference* row : rows) {
      if (row >= result.rows.data() && row < result.rows.data() + result.rows.size()) {
        wanted[staged].push_back(row);
      }
    }
  }
  for (auto& [staged, file_rows] : wanted) {
    try {
      FindSourceLines(staged, file_rows);
    } catch (const std::exception&) {
      // The rows are named by their places in their tables instead.
    }
  }
}

int JoinCheckStep::Finish(std::ostream& err, bool quiet, const std::string& utf8_report_path) {
  if (!enabled_) return 0;
  if (!check_) {
    const std::string reason = failure_.empty() ? "the build made no clean-up" : failure_;
    if (!utf8_report_path.empty()) {
      err << "dealtext: the run succeeded and the work database is complete, but the report "
          << utf8_report_path << " was not written: the joins could not be checked: " << reason
          << '\n';
      return kExitReportFailed;
    }
    if (!quiet) err << "the joins were not checked: " << reason << '\n';
    return 0;
  }
  if (!quiet) {
    for (const std::string& line : SummaryLines(*check_)) err << line << '\n';
  }
  if (utf8_report_path.empty()) return 0;
  try {
    WriteReportFile(utf8_report_path,
                    IsHtmlReportName(utf8_report_path) ? HtmlReport(*check_) : CsvReport(*check_));
  } catch (const std::exception& error) {
    err << "dealtext: the run succeeded and the work database is complete, but " << error.what()
        << '\n';
    return kExitReportFailed;
  }
  return 0;
}

}  // namespace dt::cli

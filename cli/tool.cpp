// The tool's options and the run it drives.
#include "cli/tool.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "cli/join_step.h"
#include "cli/output_targets.h"
#include "cli/summary.h"
#include "cli/tool_view.h"
#include "platform/codepage.h"
#include "platform/com_scope.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "src/entry/run_sequence.h"
#include "src/entry/version.h"
#include "src/workdb/data_access.h"
#include "src/workdb/work_paths.h"

namespace dt::cli {
namespace {

constexpr const char* kDescription =
    "dealtext: turns a folder of exported accounting tables (comma-separated .txt\n"
    "files in code page 936) into one work database. It stages and imports the\n"
    "text files, rebuilds the account codes, derives the balance (KMYE), voucher\n"
    "line (PZ) and auxiliary code (aidInfo) tables and cleans the code columns.\n";

constexpr const char* kFooter =
    "The base directory must hold:\n"
    "  DataBase/empty.mdb   the template database (copied, never written)\n"
    "  TemplateTemp/        the staging folder: the staged text files and the\n"
    "                       work database KORVA.mdb are written there\n"
    "Letter case of these names does not matter.\n"
    "\n"
    "--encoding auto reads an export file as UTF-8 only when it starts with a\n"
    "UTF-8 byte-order mark, or when it is valid UTF-8 and all its non-ASCII text\n"
    "is Chinese characters and punctuation in UTF-8, three characters at least;\n"
    "any other file is read as code page 936 (GBK). gbk or utf-8 reads every file\n"
    "that way.\n"
    "\n"
    "Standard output gets only the work database's path. Standard error gets the\n"
    "progress, every log message, a summary of the tables with their row counts\n"
    "and the time of each phase (lines \"phase <name> <seconds>\").\n"
    "After a completed run, one line per reference the derived tables did not\n"
    "find (a voucher line's voucher, account, budget section or item; a\n"
    "balance's account, budget section or item), with its count and examples;\n"
    "--report writes every one of them to FILE (CSV, or HTML for .html).\n"
    "\n"
    "Exit status: 0 success, 1 the run failed (or its path could not be written),\n"
    "2 bad usage, 3 the run succeeded but the --report file was not written.";

// The argument as ANSI text, or an error when the code page lacks one of
// its characters (a path with '?' in place of a character names another file).
bool ToAnsi(const std::string& utf8, std::string& ansi) {
  ansi = platform::Utf8ToAnsi(utf8);
  return platform::IsValidUtf8(utf8) && platform::AnsiToUtf8(ansi) == utf8;
}

// The options as given (UTF-8).
struct ToolOptions {
  std::string base;
  std::string source;
  std::string log;
  bool quiet = false;
  std::string encoding = "auto";
  std::string report;
};

// Parses the arguments into `options`. Returns the exit status when the
// tool ends here (help, version, a parse error), nothing to go on.
std::optional<int> ParseOptions(int argc, const char* const* argv, ToolOptions& options,
                                std::ostream& out, std::ostream& err) {
  CLI::App app(kDescription, "dealtext");
  app.add_option("--base", options.base, "base directory (holds DataBase and TemplateTemp)")
      ->required()
      ->type_name("DIR");
  app.add_option("--source", options.source, "folder of the exported .txt files")
      ->required()
      ->type_name("DIR");
  app.add_option("--log", options.log, "also append every log message to this file (UTF-8)")
      ->type_name("FILE");
  app.add_option("--report", options.report,
                 "write the references that did not join to this file: CSV (UTF-8), or "
                 "HTML when it ends in .html")
      ->type_name("FILE");
  app.add_flag("--quiet", options.quiet, "no progress, summary or phase times on standard error");
  app.add_option("--encoding", options.encoding,
                 "how the exported files are encoded (default auto)")
      ->check(CLI::IsMember({"auto", "gbk", "utf-8"}, CLI::ignore_case));
  app.set_version_flag("--version",
                       std::string("dealtext ") + Version() + " (commit " + Commit() + ")");
  app.footer(kFooter);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    app.exit(e, out, err);
    return kExitUsage;
  }
  return std::nullopt;
}

// The base and source directories as the run takes them: ANSI, absolute,
// the base with its PathDelim, the source without. False, with the reason
// on `err`, when a name is empty, holds a character code page 936 lacks, or
// names no directory.
bool ResolveDirectories(const ToolOptions& options, std::string& base, std::string& source,
                        std::ostream& err) {
  // An empty name (an unset shell variable) would silently mean the current
  // directory, and the run would write into whatever base that is.
  if (options.base.empty() || options.source.empty()) {
    err << "dealtext: --base and --source need a directory name\n";
    return false;
  }
  if (!ToAnsi(options.base, base) || !ToAnsi(options.source, source)) {
    err << "dealtext: a directory name holds a character that code page 936 lacks\n";
    return false;
  }
  // Absolute, so that the result path names the work database wherever it
  // is read.
  base = platform::AbsolutePath(base);
  source = platform::AbsolutePath(source);
  if (base.empty() || base.back() != platform::PathDelim) base += platform::PathDelim;
  while (source.size() > 1 && source.back() == platform::PathDelim) source.pop_back();
  if (!platform::DirectoryExists(base)) {
    err << "dealtext: base directory not found: " << options.base << '\n';
    return false;
  }
  if (!platform::DirectoryExists(source)) {
    err << "dealtext: source directory not found: " << options.source << '\n';
    return false;
  }
  return true;
}

// Refuses, with the reason on `err`, a --log or --report file the run
// would harm or read: see RefusedOutputTarget.
bool CheckOutputTarget(const std::string& utf8_path, OutputKind kind, const WorkPaths& paths,
                       const std::string& source, std::ostream& err) {
  if (utf8_path.empty()) return true;
  const std::optional<std::string> refused = RefusedOutputTarget(utf8_path, kind, paths, source);
  if (!refused) return true;
  err << "dealtext: the " << (kind == OutputKind::kLog ? "log" : "report") << " file " << utf8_path
      << ' ' << *refused << '\n';
  return false;
}

// Opens the log file `log_arg` for appending, unless none is named. False,
// with the reason on `err`, when it cannot be opened.
bool OpenLog(const std::string& log_arg, std::ofstream& log_file, std::ostream& err) {
  if (log_arg.empty()) return true;
  log_file.open(log_arg, std::ios::app | std::ios::binary);
  if (!log_file) {
    err << "dealtext: cannot open log file: " << log_arg << '\n';
    return false;
  }
  return true;
}

SourceEncoding EncodingOf(const std::string& encoding_arg) {
  const std::string encoding_name = platform::AsciiUpperCase(encoding_arg);
  return encoding_name == "GBK"     ? SourceEncoding::kCodePage936
         : encoding_name == "UTF-8" ? SourceEncoding::kUtf8
                                    : SourceEncoding::kAuto;
}

// Runs the system and reports: the result path on `out`, the failure, the
// summary and the phase times on `err`. Returns the exit status.
int RunAndReport(const std::string& base, const std::string& source, SourceEncoding encoding,
                 const ToolOptions& options, std::ofstream& log_file, std::ostream& out,
                 std::ostream& err, bool err_is_terminal) {
  ToolView view(err, &log_file, options.quiet, err_is_terminal);
  const platform::ComScope com;  // for the database engine; outlives the connection
  Connection connection;
  std::vector<std::string> source_list;
  std::string result_path;
  // A quiet run without a report would tell nothing of the check: none is made.
  JoinCheckStep join_check(view, source_list, !options.report.empty(),
                           !options.quiet || !options.report.empty());
  try {
    result_path = RunSequence(source, base, source_list, connection, join_check, {}, encoding);
  } catch (const std::exception& error) {
    view.Finish();
    // The log gets the message as the host's log would; the report adds
    // where the run was, and the failed statement that may have led there.
    view.Log(RunFailureMessage(error));
    err << "dealtext: " << view.FailureReport(platform::AnsiToUtf8(ErrorText(error))) << '\n';
    return kExitRunFailed;
  }
  view.Finish();
  out << platform::AnsiToUtf8(result_path) << '\n';
  out.flush();
  if (!out) {
    // A script reading the path would get nothing while the status said
    // success (a full disk, a closed pipe).
    err << "dealtext: cannot write the work database's path to standard output\n";
    return kExitRunFailed;
  }
  if (!options.quiet) {
    PrintTableSummary(connection, source_list, err);
    view.PrintPhaseTimes();
  }
  return join_check.Finish(err, options.quiet, options.report);
}

}  // namespace

int RunTool(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
            bool err_is_terminal) {
  ToolOptions options;
  if (const std::optional<int> status = ParseOptions(argc, argv, options, out, err)) {
    return *status;
  }
  std::string base;
  std::string source;
  if (!ResolveDirectories(options, base, source, err)) return kExitUsage;
  if (std::string ansi; !options.report.empty() && !ToAnsi(options.report, ansi)) {
    err << "dealtext: the report file's name holds a character that code page 936 lacks\n";
    return kExitUsage;
  }
  // Checked before the run, which would write over or import them.
  const WorkPaths paths = MakeWorkPaths(base);
  if (!CheckOutputTarget(options.report, OutputKind::kReport, paths, source, err) ||
      !CheckOutputTarget(options.log, OutputKind::kLog, paths, source, err)) {
    return kExitUsage;
  }
  std::ofstream log_file;
  if (!OpenLog(options.log, log_file, err)) return kExitUsage;
  return RunAndReport(base, source, EncodingOf(options.encoding), options, log_file, out, err,
                      err_is_terminal);
}

}  // namespace dt::cli

// The tool's options and the run it drives.
#include "cli/tool.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/summary.h"
#include "cli/tool_view.h"
#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "src/entry/run_sequence.h"
#include "src/entry/version.h"
#include "src/staging/text_utils.h"
#include "src/workdb/data_access.h"

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
    "Exit status: 0 success, 1 the run failed (or its path could not be written),\n"
    "2 bad usage.";

// The argument as ANSI text, or an error when the code page lacks one of
// its characters (a path with '?' in place of a character names another file).
bool ToAnsi(const std::string& utf8, std::string& ansi) {
  ansi = platform::Utf8ToAnsi(utf8);
  return platform::IsValidUtf8(utf8) && platform::AnsiToUtf8(ansi) == utf8;
}

std::filesystem::path Utf8Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The folder `path` is in (or, for a folder, `path` itself), with links and
// dots resolved as far as it exists, ASCII letters upper-cased: Windows file
// systems ignore letter case, so two spellings may name one folder.
std::string FolderKey(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  if (error) resolved = path.lexically_normal();
  const std::u8string text = resolved.generic_u8string();
  return AsciiUpperCase(std::string(text.begin(), text.end()));
}

// True when the log file `log_utf8` is a .txt file of the source folder
// `source_ansi`: discovery would list it and the run would import its own
// log, growing while it is read.
bool LogIsAnExport(const std::string& log_utf8, const std::string& source_ansi) {
  const std::filesystem::path log = std::filesystem::absolute(Utf8Path(log_utf8));
  const std::u8string name = log.filename().u8string();
  return platform::WildcardMatch("*.txt", std::string(name.begin(), name.end())) &&
         FolderKey(log.parent_path()) == FolderKey(Utf8Path(platform::AnsiToUtf8(source_ansi)));
}

}  // namespace

int RunTool(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
            bool err_is_terminal) {
  CLI::App app(kDescription, "dealtext");
  std::string base_arg;
  std::string source_arg;
  std::string log_arg;
  bool quiet = false;
  std::string encoding_arg = "auto";
  app.add_option("--base", base_arg, "base directory (holds DataBase and TemplateTemp)")
      ->required()
      ->type_name("DIR");
  app.add_option("--source", source_arg, "folder of the exported .txt files")
      ->required()
      ->type_name("DIR");
  app.add_option("--log", log_arg, "also append every log message to this file (UTF-8)")
      ->type_name("FILE");
  app.add_flag("--quiet", quiet, "no progress, summary or phase times on standard error");
  app.add_option("--encoding", encoding_arg, "how the exported files are encoded (default auto)")
      ->check(CLI::IsMember({"auto", "gbk", "utf-8"}, CLI::ignore_case));
  app.set_version_flag("--version", std::string("dealtext ") + Version());
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

  // An empty name (an unset shell variable) would silently mean the current
  // directory, and the run would write into whatever base that is.
  if (base_arg.empty() || source_arg.empty()) {
    err << "dealtext: --base and --source need a directory name\n";
    return kExitUsage;
  }
  std::string base;
  std::string source;
  if (!ToAnsi(base_arg, base) || !ToAnsi(source_arg, source)) {
    err << "dealtext: a directory name holds a character that code page 936 lacks\n";
    return kExitUsage;
  }
  // Absolute, so that the result path names the work database wherever it
  // is read.
  base = platform::AbsolutePath(base);
  source = platform::AbsolutePath(source);
  if (base.empty() || base.back() != platform::PathDelim) base += platform::PathDelim;
  while (source.size() > 1 && source.back() == platform::PathDelim) source.pop_back();
  if (!platform::DirectoryExists(base)) {
    err << "dealtext: base directory not found: " << base_arg << '\n';
    return kExitUsage;
  }
  if (!platform::DirectoryExists(source)) {
    err << "dealtext: source directory not found: " << source_arg << '\n';
    return kExitUsage;
  }
  if (!log_arg.empty() && LogIsAnExport(log_arg, source)) {
    err << "dealtext: the log file " << log_arg
        << " is a .txt file in the source directory: the run would import it\n";
    return kExitUsage;
  }
  std::ofstream log_file;
  if (!log_arg.empty()) {
    log_file.open(log_arg, std::ios::app | std::ios::binary);
    if (!log_file) {
      err << "dealtext: cannot open log file: " << log_arg << '\n';
      return kExitUsage;
    }
  }

  const std::string encoding_name = AsciiUpperCase(encoding_arg);
  const SourceEncoding encoding = encoding_name == "GBK"     ? SourceEncoding::kCodePage936
                                  : encoding_name == "UTF-8" ? SourceEncoding::kUtf8
                                                             : SourceEncoding::kAuto;

  ToolView view(err, &log_file, quiet, err_is_terminal);
  Connection connection;
  std::vector<std::string> source_list;
  std::string result_path;
  try {
    result_path = RunSequence(source, base, source_list, connection, view, {}, encoding);
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
  if (!quiet) {
    PrintTableSummary(connection, source_list, err);
    view.PrintPhaseTimes();
  }
  return kExitSuccess;
}

}  // namespace dt::cli

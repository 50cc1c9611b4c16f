// The command-line tool as people and scripts run it: exit codes, standard
// output holding only the result path, messages on standard error and in
// the log file, and its help.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "cli/tool.h"
#include "platform/paths.h"
#include "src/entry/version.h"
#include "tests/entry_fixture.h"
#include "tests/faulty_disk.h"
#include "tests/process_support.h"

namespace dt {
namespace {

using Arguments = std::vector<std::string>;

Arguments operator+(Arguments a, const Arguments& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The first value `sql` gives on the database file `path`, or "<none>".
std::string QueryValue(const std::string& path, const std::string& sql) {
  std::string value = "<none>";
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr) {
      value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return value;
}

#ifdef _WIN32
// A second name of a folder that shares no text with its own, while it
// lives: under Wine the folder through drive Z:, which maps the whole Unix
// file system; on Windows a drive letter for it, as `subst` makes one.
class SecondName {
 public:
  explicit SecondName(const std::string& folder)
      : target_(std::filesystem::path(folder).wstring()) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const FARPROC wine =
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (wine != nullptr) {
      const auto unix_name = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(wine));
      if (char* name = unix_name(target_.c_str()); name != nullptr) {
        name_ = std::string("Z:") + name;
        std::replace(name_.begin(), name_.end(), '/', '\\');
        HeapFree(GetProcessHeap(), 0, name);
      }
      return;
    }
    const DWORD used = GetLogicalDrives();
    for (char letter = 'Y'; letter >= 'M'; --letter) {
      if ((used & (1u << (letter - 'A'))) != 0) continue;
      const std::wstring drive{static_cast<wchar_t>(letter), L':'};
      if (DefineDosDeviceW(0, drive.c_str(), target_.c_str())) {
        drive_ = drive;
        name_ = std::string{letter, ':'};
        return;
      }
    }
  }
  ~SecondName() {
    if (drive_.empty()) return;
    DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, drive_.c_str(),
                     target_.c_str());
  }
  SecondName(const SecondName&) = delete;
  SecondName& operator=(const SecondName&) = delete;
  // The folder by its second name, or empty when none could be given.
  const std::string& name() const { return name_; }

 private:
  std::wstring target_;
  std::wstring drive_;  // the drive letter defined, if any
  std::string name_;
};
#endif

std::string ToolPath() {
  return std::string(DEALTEXT_BUILD_DIR) + "/" + testing::ProgramFile("dealtext");
}

// The tool writes lines as its platform ends them: CR LF on Windows, as
// every console program there does. The tests read them as lines.
std::string LinesOf(std::string text) {
#ifdef _WIN32
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return lines;
#else
  return text;
#endif
}

struct ToolRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class ToolTest : public ::testing::Test {
 protected:
  // Runs the tool with `arguments`, its standard output going to
  // `out_target` (read back unless given).
  ToolRun Run(const Arguments& arguments, const std::string& out_target = {}) {
    const std::string out = out_target.empty() ? dirs_.Scratch("tool.out") : out_target;
    const std::string err = dirs_.Scratch("tool.err");
    ToolRun run;
    run.exit_code = testing::RunProgram(ToolPath(), arguments, out, err);
    if (out_target.empty()) run.out = LinesOf(testing::ReadBytes(out));
    run.err = LinesOf(testing::ReadBytes(err));
    return run;
  }
  // Runs the tool with `arguments` in this process, where a failing disk
  // (faulty_disk.h) reaches it; its standard output is `out` when given.
  ToolRun RunHere(const Arguments& arguments, std::ostream* out = nullptr) {
    std::vector<const char*> argv{"dealtext"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    std::ostringstream out_text;
    std::ostringstream err;
    ToolRun run;
    run.exit_code = cli::RunTool(static_cast<int>(argv.size()), argv.data(),
                                 out != nullptr ? *out : out_text, err, false);
    run.out = out_text.str();
    run.err = err.str();
    return run;
  }
  Arguments Dirs() const { return {"--base", dirs_.Base(), "--source", dirs_.Source()}; }

  testing::RunDirectories dirs_;
};

TEST_F(ToolTest, CompletedRunPrintsOnlyThePath) {
  dirs_.AddSampleExport();
  const ToolRun run = Run(Dirs());
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, dirs_.ResultPath() + "\n");
  EXPECT_NE(run.err.find("table PZ 1\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("table ACCOUNTSECTIONS 2\n"), std::string::npos) << run.err;
  for (const char* phase : {"discovery", "template-copy", "staging", "import", "account-codes",
                            "derived-tables", "cleanup", "total"}) {
    EXPECT_NE(run.err.find(std::string("\nphase ") + phase + " "), std::string::npos) << phase;
  }
}

TEST_F(ToolTest, DelimitersAreAddedToTheBaseAndTakenFromTheSource) {
  dirs_.AddSampleExport();
  std::string base = dirs_.Base();
  base.pop_back();
  const ToolRun run =
      Run({"--quiet", "--base", base, "--source", dirs_.Source() + platform::PathDelim});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, dirs_.ResultPath() + "\n");
  EXPECT_EQ(run.err.find("phase "), std::string::npos) << "quiet";
}

TEST_F(ToolTest, FailedRunExitsOneWithTheFailureMessage) {
  dirs_.AddSource("BOOK.TXT", "");
  const std::string log = dirs_.Scratch("run.log");
  testing::WriteBytes(log, "an earlier run\n");
  const ToolRun run = Run(Dirs() + Arguments{"--log", log});
  const std::string message =
      "\xE6\x95\xB0\xE6\x8D\xAE\xE9\xA2\x84\xE5\xA4\x84\xE7\x90\x86\xE5\x87\xBA\xE7\x8E\xB0\xE5"
      "\xBC\x82\xE5\xB8\xB8\xEF\xBC\x81List index out of bounds (0)\n";
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  EXPECT_EQ(testing::ReadBytes(log), "an earlier run\n" + message) << "appended";
}

TEST_F(ToolTest, TheFailureReportSaysWhereTheRunWas) {
  dirs_.AddSampleExport();
  dirs_.AddSource("BOOK.TXT", "");
  const ToolRun run = Run(Dirs() + Arguments{"--quiet"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(
      run.err.find("\ndealtext: failed while staging BOOK.TXT: List index out of bounds (0)\n"),
      std::string::npos)
      << run.err;
}

// A run that ends on a table that a logged statement left missing: the
// last line names that statement's failure too, the host's log stays as it
// always was.
TEST_F(ToolTest, TheFailureReportNamesTheFirstLoggedFailureBehindIt) {
  dirs_.AddSampleExport();
  dirs_.AddSource("BOOK.TXT", "exported\r\n1,2024,B1,1,32,100\r\n");  // 32 January
  const std::string log = dirs_.Scratch("run.log");
  const ToolRun run = Run(Dirs() + Arguments{"--quiet", "--log", log});
  EXPECT_EQ(run.exit_code, 1);
  const std::string mismatch = "Data type mismatch in expression: '2024-1-32' is not a date";
  const std::size_t last = run.err.rfind("\ndealtext: failed while ");
  ASSERT_NE(last, std::string::npos) << run.err;
  const std::string report = run.err.substr(last + 1);
  EXPECT_NE(report.find(": Table 'PZ' does not exist (after a failed statement while deriving "
                        "KMYE, PZ and aidInfo: " +
                        mismatch + ")\n"),
            std::string::npos)
      << report;
  const std::string logged = testing::ReadBytes(log);
  const std::string failed_run =
      "\xE6\x95\xB0\xE6\x8D\xAE\xE9\xA2\x84\xE5\xA4\x84\xE7\x90\x86\xE5\x87\xBA\xE7\x8E\xB0\xE5"
      "\xBC\x82\xE5\xB8\xB8\xEF\xBC\x81";  // 数据预处理出现异常！
  EXPECT_EQ(logged.rfind("SQL=Select a.TotalMoney", 0), 0u) << logged;
  EXPECT_NE(logged.find(mismatch + "\n"), std::string::npos) << logged;
  const std::string ended = failed_run + "Table 'PZ' does not exist\n";
  ASSERT_GE(logged.size(), ended.size());
  EXPECT_EQ(logged.substr(logged.size() - ended.size()), ended) << logged;
  EXPECT_EQ(logged.substr(logged.size() - ended.size() - 1, 1), "\n") << logged;
}

// The logged failure the last line names is the first that names a table
// the run's own failure names; when none does (an odd file's failed import
// before a table the export lacks), the first is named as only that.
TEST_F(ToolTest, TheFailureReportPrefersAFailureOfTheSameTable) {
  const std::string odd_file = "Syntax error near '-' at position 16: expected FROM";
  const struct {
    std::vector<std::string> missing;
    std::vector<std::string> odd;
    std::string report;
  } cases[] = {
      {{"ITEM.TXT"},
       {"A-B.TXT"},
       ": Table 'item' does not exist (after a failed statement while deriving KMYE, PZ and "
       "aidInfo: Table 'item' does not exist)\n"},
      {{"ACCOUNTSECTIONS.TXT"},
       {"A-B.TXT"},
       ": Table 'ACCOUNTSECTIONS' does not exist (a statement failed before it, while importing "
       "A-B.TXT: " +
           odd_file + ")\n"},
      {{"ACCOUNTSECTIONS.TXT"},
       {"A-B.TXT", "C-D.TXT"},
       ": Table 'ACCOUNTSECTIONS' does not exist (the first of 2 failed statements, while "
       "importing "},
  };
  for (const auto& c : cases) {
    testing::RunDirectories dirs;
    dirs.AddSampleExport();
    for (const std::string& name : c.missing) {
      std::filesystem::remove(dirs.Source() + platform::PathDelim + name);
    }
    for (const std::string& name : c.odd) dirs.AddSource(name, "A,B\r\n1,2\r\n");
    const std::string err = dirs.Scratch("tool.err");
    EXPECT_EQ(testing::RunProgram(ToolPath(),
                                  {"--quiet", "--base", dirs.Base(), "--source", dirs.Source()},
                                  dirs.Scratch("tool.out"), err),
              1);
    const std::string text = LinesOf(testing::ReadBytes(err));
    const std::size_t last = text.rfind("\ndealtext: failed while ");
    ASSERT_NE(last, std::string::npos) << text;
    EXPECT_NE(text.find(c.report, last), std::string::npos) << text.substr(last + 1);
  }
}

TEST_F(ToolTest, ALogFileAmongTheExportsIsRefused) {
  dirs_.AddSampleExport();
  const std::string source = dirs_.Source();
  const std::string delim(1, platform::PathDelim);
  const struct {
    const char* name;
    std::string log;
  } refused[] = {
      {"a .txt file of the source folder", source + delim + "run.txt"},
      {"any letter case", source + delim + "Run.TXT"},
      {"through the parent folder", source + delim + ".." + delim + "source" + delim + "run.txt"},
      {"the folder in another letter case", dirs_.Scratch("SOURCE") + delim + "run.txt"},
  };
  for (const auto& c : refused) {
    // Elsewhere "SOURCE" is another folder, one that does not exist.
    if (c.log.starts_with(dirs_.Scratch("SOURCE")) && !platform::kNamesIgnoreCase) continue;
    const ToolRun run = Run(Dirs() + Arguments{"--log", c.log});
    EXPECT_EQ(run.exit_code, 2) << c.name;
    EXPECT_NE(run.err.find("is a .txt file in the source directory"), std::string::npos)
        << c.name << ": " << run.err;
    EXPECT_FALSE(std::filesystem::exists(source + delim + "run.txt")) << c.name;
  }
  EXPECT_FALSE(dirs_.WorkDatabaseExists());

  const ToolRun run = Run(Dirs() + Arguments{"--quiet", "--log", dirs_.Scratch("run.txt")});
  EXPECT_EQ(run.exit_code, 0) << run.err;
}

// The log and the report never land on what the run reads or writes: the
// work database, the template, a file of the staging folder, the template's
// folder or the source folder (the next run would import a .txt file of
// it), or on what is not a plain file. Refused before the run starts.
TEST_F(ToolTest, ALogOrReportOverTheRunsOwnFilesIsRefused) {
  dirs_.AddSampleExport();
  testing::WriteBytes(dirs_.WorkDatabase(), "the run before's");
  const std::string delim(1, platform::PathDelim);
  const std::string staging = dirs_.Base() + "TemplateTemp" + delim;
  const std::string templates = dirs_.Base() + "DataBase" + delim;
  const std::string source = dirs_.Source() + delim;
  const std::string folder = dirs_.Scratch("folder");
  std::filesystem::create_directory(folder);
  struct Case {
    std::string path;
    const char* reason;
  };
  std::vector<Case> cases = {
      {dirs_.WorkDatabase(), "is the work database"},
      {templates + "empty.mdb", "is the template database"},
      {staging + "joins.csv", "is in the staging folder"},
      {staging + "BOOK.TXT", "is in the staging folder"},
      {templates + "joins.csv", "is in the template database's folder"},
      {source + "BOOK.TXT", "is a .txt file in the source directory"},
      {source + "run.log", "is in the source directory, among the exports"},
      {folder, "is not a regular file"},
  };
#ifndef _WIN32
  const std::string fifo = dirs_.Scratch("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  cases.push_back({fifo, "is not a regular file"});
  cases.push_back({"/dev/null", "is not a regular file"});
  // A link elsewhere to an export, or to the template.
  std::filesystem::create_symlink(source + "LOAN.TXT", dirs_.Scratch("loan"));
  std::filesystem::create_symlink(templates + "empty.mdb", dirs_.Scratch("template"));
  cases.push_back({dirs_.Scratch("loan"), "is in the source directory, among the exports"});
  cases.push_back({dirs_.Scratch("template"), "is the template database"});
#endif
  const std::vector<std::string> kept = {dirs_.WorkDatabase(), templates + "empty.mdb",
                                         source + "BOOK.TXT", source + "LOAN.TXT"};
  std::vector<std::string> before;
  for (const std::string& file : kept) before.push_back(testing::ReadBytes(file));
  for (const char* option : {"--log", "--report"}) {
    for (const Case& c : cases) {
      const ToolRun run = RunHere(Dirs() + Arguments{"--quiet", option, c.path});
      EXPECT_EQ(run.exit_code, 2) << option << ' ' << c.path << ": " << run.err;
      EXPECT_NE(run.err.find(std::string(" ") + c.path + " " + c.reason), std::string::npos)
          << option << ' ' << c.path << ": " << run.err;
    }
  }
  for (std::size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(testing::ReadBytes(kept[i]), before[i]) << kept[i];
  }
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  for (const char* made : {"joins.csv", "BOOK.TXT"}) {
    EXPECT_FALSE(std::filesystem::exists(staging + made)) << made;
  }
#ifndef _WIN32
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
#endif
}

// A second name of the source folder that no reading of the path text
// resolves (a bind mount; on Windows another drive's name for it) is the
// source folder still: neither an export nor a file the next run imports
// is written through it.
TEST_F(ToolTest, ALogOrReportThroughASecondNameOfTheSourceFolderIsRefused) {
  dirs_.AddSampleExport();
  const std::string alias_folder = dirs_.Scratch("alias");
  std::filesystem::create_directory(alias_folder);
#ifdef _WIN32
  const SecondName second(dirs_.Source());
  ASSERT_FALSE(second.name().empty()) << "no second name";
  const std::string alias = second.name();
#else
  const std::string alias = alias_folder;
#endif
  const std::string delim(1, platform::PathDelim);
  const Arguments cases[] = {{"--report", alias + delim + "BOOK.TXT"},
                             {"--report", alias + delim + "joins.txt"},
                             {"--log", alias + delim + "LOAN.TXT"}};
  const std::string book = testing::ReadBytes(dirs_.Source() + delim + "BOOK.TXT");
  const std::string loan = testing::ReadBytes(dirs_.Source() + delim + "LOAN.TXT");
  for (const Arguments& c : cases) {
#ifdef _WIN32
    const ToolRun run = RunHere(Dirs() + Arguments{"--quiet"} + c);
#else
    // Mounted in a namespace of the tool's own, which goes with it.
    const std::string err = dirs_.Scratch("tool.err");
    const int status =
        testing::RunProgram("/usr/bin/unshare",
                            Arguments{"-rm", "/bin/sh", "-c",
                                      "mount --bind \"$1\" \"$2\" || exit 99; shift 2; exec \"$@\"",
                                      "sh", dirs_.Source(), alias_folder, ToolPath(), "--quiet"} +
                                Dirs() + c,
                            dirs_.Scratch("tool.out"), err);
    if (status == 99 || status == -1)
      GTEST_SKIP() << "no bind mount here: " << testing::ReadBytes(err);
    const ToolRun run{status, "", testing::ReadBytes(err)};
#endif
    EXPECT_EQ(run.exit_code, 2) << c[1] << ": " << run.err;
    EXPECT_NE(run.err.find(" in the source directory"), std::string::npos) << run.err;
  }
  EXPECT_EQ(testing::ReadBytes(dirs_.Source() + delim + "BOOK.TXT"), book);
  EXPECT_EQ(testing::ReadBytes(dirs_.Source() + delim + "LOAN.TXT"), loan);
  EXPECT_FALSE(std::filesystem::exists(dirs_.Source() + delim + "joins.txt"));
  EXPECT_FALSE(dirs_.WorkDatabaseExists());
}

TEST_F(ToolTest, APathThatCannotBeWrittenIsNoSuccess) {
  dirs_.AddSampleExport();
  // Standard output on a full disk: a stream that takes nothing, and,
  // where the system has one, the device that is always full.
  class Full : public std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
  } full;
  std::ostream out(&full);
  const ToolRun here = RunHere(Dirs() + Arguments{"--quiet"}, &out);
  EXPECT_EQ(here.exit_code, 1);
  EXPECT_NE(here.err.find("standard output"), std::string::npos) << here.err;
  if (std::filesystem::exists("/dev/full")) {
    const ToolRun run = Run(Dirs() + Arguments{"--quiet"}, "/dev/full");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("standard output"), std::string::npos) << run.err;
  }
}

// A disk that fills up during the imports: the failing import is logged,
// the run ends there with the same failure, and the tool exits 1 instead of
// going on without the table.
TEST_F(ToolTest, ADiskThatFillsUpEndsTheRunAtTheImport) {
  dirs_.AddSampleExport();
  const std::string log = dirs_.Scratch("run.log");
  ToolRun run;
  {
    // Room for a few tables, not for seven.
    testing::FaultyDisk disk;
    disk.FailWritesAfter("KORVA.mdb", 4 * 16384);
    run = RunHere(Dirs() + Arguments{"--quiet", "--log", log});
  }
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "");
  const std::string cannot_run = "\xE4\xB8\x8D\xE8\x83\xBD\xE6\x89\xA7\xE8\xA1\x8C";  // 不能执行
  const std::string failed_run =
      "\xE6\x95\xB0\xE6\x8D\xAE\xE9\xA2\x84\xE5\xA4\x84\xE7\x90\x86\xE5\x87\xBA\xE7\x8E\xB0\xE5"
      "\xBC\x82\xE5\xB8\xB8\xEF\xBC\x81";  // 数据预处理出现异常！
  // The host's log: the import that failed, then the run's end with its cause.
  const std::string logged = testing::ReadBytes(log);
  const std::size_t cause = logged.find(cannot_run);
  ASSERT_EQ(logged.rfind("SQL=select * into ", 0), 0u) << logged;
  ASSERT_NE(cause, std::string::npos) << logged;
  const std::string error =
      logged.substr(cause + cannot_run.size(), logged.find('\n') - cause - cannot_run.size());
  EXPECT_EQ(logged.substr(logged.find('\n') + 1), failed_run + error + "\n") << logged;
  EXPECT_NE(run.err.find("\ndealtext: failed while importing "), std::string::npos) << run.err;
}

TEST_F(ToolTest, OnATerminalTheFailureMessageIsTheLastLine) {
#ifdef _WIN32
  GTEST_SKIP() << "the terminal is drawn through a POSIX pseudo-terminal here";
#endif
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script";
  dirs_.AddSampleExport();
  dirs_.AddSource("BOOK.TXT", "");
  const std::string screen = dirs_.Scratch("screen");
  // script gives the tool a terminal on both streams and copies what it shows.
  const std::string command = "script -qec \"'" + ToolPath() + "' --base '" + dirs_.Base() +
                              "' --source '" + dirs_.Source() + "'\" /dev/null >'" + screen +
                              "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 1 << 8) << "exit status 1";
  const std::string shown = testing::ReadBytes(screen);
  ASSERT_NE(shown.find("\x1b[K"), std::string::npos) << "drew a progress bar: " << shown;
  const std::string last = "List index out of bounds (0)\r\n";
  ASSERT_GE(shown.size(), last.size());
  EXPECT_EQ(shown.substr(shown.size() - last.size()), last) << shown;
}

// An export whose loan name is two characters of UTF-8: too little for the
// driver to tell, so it is code page 936 unless the user says otherwise.
TEST_F(ToolTest, EncodingOptionSaysHowTheExportIsRead) {
  const std::string cash_utf8 = "\xE7\x8E\xB0\xE9\x87\x91";  // 现金
  const struct {
    Arguments arguments;
    std::string name;
  } cases[] = {
      {{}, "\xE9\x90\x9C\xE4\xBC\xB4\xE5\x99\xBE"},  // its bytes read in code page 936
      {{"--encoding", "auto"}, "\xE9\x90\x9C\xE4\xBC\xB4\xE5\x99\xBE"},
      {{"--encoding", "gbk"}, "\xE9\x90\x9C\xE4\xBC\xB4\xE5\x99\xBE"},
      {{"--encoding", "utf-8"}, cash_utf8},
      {{"--encoding", "UTF-8"}, cash_utf8},
  };
  dirs_.AddSampleExport();
  dirs_.AddSource("LOAN.TXT", "exported\r\n1,2024,E1,,,,,,," + cash_utf8 + "\r\n");
  for (const auto& c : cases) {
    const ToolRun run = Run(Dirs() + Arguments{"--quiet"} + c.arguments);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(QueryValue(dirs_.WorkDatabase(), "select NAME from LOAN"), c.name)
        << ::testing::PrintToString(c.arguments);
  }
}

TEST_F(ToolTest, BadUsageExitsTwo) {
  const struct {
    const char* name;
    Arguments arguments;
    const char* says;
  } cases[] = {
      {"unknown option", Dirs() + Arguments{"--frobnicate"}, "frobnicate"},
      {"missing source option", {"--base", dirs_.Base()}, "--source"},
      {"empty base name", {"--base", "", "--source", dirs_.Source()}, "directory name"},
      {"empty source name", {"--base", dirs_.Base(), "--source", ""}, "directory name"},
      {"missing base directory",
       {"--base", dirs_.Scratch("nowhere"), "--source", dirs_.Source()},
       "base directory not found"},
      {"missing source directory",
       {"--base", dirs_.Base(), "--source", dirs_.Scratch("nowhere")},
       "source directory not found"},
      {"unopenable log", Dirs() + Arguments{"--log", dirs_.Scratch("no/such/dir/log")},
       "cannot open log file"},
      {"unknown encoding", Dirs() + Arguments{"--encoding", "latin1"}, "--encoding"},
      // A character code page 936 lacks would silently name another path.
      {"name outside the code page",
       {"--base", dirs_.Base() + "\xF0\x9F\x98\x80", "--source", dirs_.Source()},
       "code page 936"},
  };
  for (const auto& c : cases) {
    const ToolRun run = Run(c.arguments);
    EXPECT_EQ(run.exit_code, 2) << c.name;
    EXPECT_EQ(run.out, "") << c.name;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << c.name << ": " << run.err;
  }
  EXPECT_FALSE(dirs_.WorkDatabaseExists());
}

TEST_F(ToolTest, HelpDescribesTheBaseDirectoryLayout) {
  const ToolRun run = Run({"--help"});
  EXPECT_EQ(run.exit_code, 0);
  for (const char* text :
       {"--base", "--source", "--log", "--quiet", "--encoding", "byte-order mark",
        "DataBase/empty.mdb", "TemplateTemp", "KORVA.mdb", "Exit status"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text;
  }
}

TEST_F(ToolTest, VersionPrintsTheVersionAndCommit) {
  const ToolRun run = Run({"--version"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, std::string("dealtext ") + Version() + " (commit " + Commit() + ")\n");
  // The stamp the build made: three numbers, and an abbreviated commit
  // (marked when the tree had changes) or, outside a checkout, "unknown".
  EXPECT_TRUE(std::regex_match(Version(), std::regex(R"(\d+\.\d+\.\d+)"))) << Version();
  EXPECT_TRUE(std::regex_match(Commit(), std::regex("[0-9a-f]{12}(-modified)?|unknown")))
      << Commit();
}

}  // namespace
}  // namespace dt

// The whole build through the ADO engine, over the provider backed by the
// stand-in (standin_ado_provider.h): the tool built for it (dealtext-ado) and
// DoIt in this process must make the same work database as the stand-in's
// own run, table by table and row by row, on the bundled fixture, a sample
// export, an export of awkward values and a 20,000-line one; and a failure
// of the provider in the middle of the run ends the run, never success.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/export_generator.h"
#include "platform/codepage.h"
#include "platform/stdcall.h"
#include "platform/ui.h"
#include "src/entry/doit.h"
#include "tests/entry_fixture.h"
#include "tests/process_support.h"
#include "tests/standin_ado_provider.h"

namespace dt {
namespace {

namespace fs = std::filesystem;
using testing::ProviderEngines;
using testing::ProviderScript;
using testing::RunDirectories;

std::string ToolPath(const std::string& name) {
  return std::string(DEALTEXT_BUILD_DIR) + "/" + testing::ProgramFile(name);
}

// --- The exports --------------------------------------------------------------

// Lines in code page 936 under an exporter's first line, CR LF; the text is
// written here as UTF-8.
std::string Table(const std::vector<std::string>& lines) {
  std::string bytes = platform::Utf8ToAnsi("导出表,字段,说明") + "\r\n";
  for (const std::string& line : lines) bytes += platform::Utf8ToAnsi(line) + "\r\n";
  return bytes;
}

// Codes that are NULL (empty fields), dots alone, trailing dots and spaces,
// leading zeros; keys that are NULL or end in a space; Chinese text, quoted
// commas, a summary of 300 characters; a voucher whose date has spaces.
void AddAwkwardExport(const RunDirectories& dirs) {
  std::string long_summary;
  for (int i = 0; i < 100; ++i) long_summary += "长摘要";
  dirs.AddSource(
      "ACCOUNTSECTIONS.TXT",
      Table({"1,2024,101,,,,,,,现金", "1,2024,101.1,,,,,,,\"现金,备用\"",
             "1,2024,101.2 ,,,,,,,尾随空格", "1,2024,,,,,,,,无编码", "1,2024,..,,,,,,,点点",
             "1,2024,2.01.,,,,,,,末尾点", "1,2024,5.02.1.1.07,,,,,,,深层",
             "1,2024,001,,,,,,,零开头", "1,2024,101.1,,,,,,,重复科目"}));
  dirs.AddSource("BOOK.TXT", Table({"1,2024,B1,1,5,,,,,,,,,,101,,2", "1,2024,B2,12,31,,,,,,,,,,,,1",
                                    "1,2024,,3,3,,,,,,,,,,2.01.,,1", "1,2024,B3,2,29,,,,,,,,,,,,3",
                                    "1,2024,B4 ,1, 5,,,,,,,,,,101.2 ,,4"}));
  dirs.AddSource("BOOKDETAIL.TXT",
                 Table({"1,2024,B1,1,购买设备,101.1,,3.1,,2.01,,1234.56,,,,,,1,,,,,,0",
                        "1,2024,B1,2,应付款,2.01.,,,,2.02 ,,1234.56,,,,,,2,,,,,,0",
                        "1,2024,B1,3,无科目,,,,,,,7,,,,,,1,,,,,,0",
                        "1,2024,B1,,无行号,.,,.,,.,,8,,,,,,1,,,,,,0",
                        "1,2024,,1,无凭证号,..,,3.1 ,,,,9,,,,,,2,,,,,,0",
                        "1,2024,B2,1,\"支付,含逗号\",5.02.1.1.07,,,,,,80,,,,,,1,,,,,,0",
                        "1,2024,B2,2,已作废,101,,,,,,80,,,,,,2,,,,,,1",
                        "1,2024,B3,1," + long_summary + ",001,,3.2,,2.01,,0.5,,,,,,1,,,,,,0",
                        "1,2024,B4 ,1,尾随空格 ,101.2 ,,,,2.01,,1,,,,,,1,,,,,,0",
                        "1,2024,B9,1,无凭证,101,,,,,,2,,,,,,1,,,,,,0"}));
  dirs.AddSource("BUDGETSECTION.TXT", Table({"2024,2.01,,,,,,,教育", "2024,2.02 ,,,,,,,科技",
                                             "2024,,,,,,,,无编码", "2024,.,,,,,,,点"}));
  dirs.AddSource("ITEM.TXT", Table({"1,2024,3.1,,,,,,,校舍", "1,2024,3.2,,,,,,,设备",
                                    "1,2024,,,,,,,,无编码", "1,2024,3.1 ,,,,,,,尾随"}));
  dirs.AddSource("LOAN.TXT", Table({"1,2024,E1,,,,,,,借款,,100,101,,,,,,0", "1,2024,E2"}));
  dirs.AddSource("REMAIN.TXT", Table({"1,2024,R1,101,,3.1,1000.00,2.01,", "1,2024,R2,2.01.,,,50,,",
                                      "1,2024,,101.1,,.,7,9.9,", "1,2024,R4,..,,3.1 ,1,2.02 ,",
                                      "1,2024,R5,,,,,,"}));
}

void AddFixtureExport(const RunDirectories& dirs) {
  const fs::path fixture = fs::path(DEALTEXT_TEST_DATA) / "export" / "source";
  for (const auto& entry : fs::directory_iterator(fixture)) {
    dirs.AddSource(entry.path().filename().string(), testing::ReadBytes(entry.path().string()));
  }
}

void AddGeneratedExport(const RunDirectories& dirs, std::uint64_t lines, std::uint64_t seed) {
  bench::GenerateExport({lines, seed}, dirs.Source());
}

// --- The work database as text ------------------------------------------------

// Each table in name order (letter case ignored): "== name", its columns with
// their declared types, then its rows in stored order, each value as an SQL
// literal of its stored type.
std::vector<std::string> Describe(const std::string& path) {
  sqlite3* db = nullptr;
  std::vector<std::string> lines;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return {"cannot open " + path};
  }
  auto each = [&](const std::string& sql, const std::function<void(sqlite3_stmt*)>& row) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      lines.push_back("cannot run " + sql + ": " + sqlite3_errmsg(db));
      return;
    }
    while (sqlite3_step(statement) == SQLITE_ROW) row(statement);
    sqlite3_finalize(statement);
  };
  auto text = [](sqlite3_stmt* statement, int column) {
    const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return std::string(value != nullptr ? value : "");
  };
  std::vector<std::string> tables;
  each("SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name COLLATE NOCASE",
       [&](sqlite3_stmt* statement) { tables.push_back(text(statement, 0)); });
  for (const std::string& table : tables) {
    lines.push_back("== " + table);
    each("SELECT name, type FROM pragma_table_info('" + table + "')",
         [&](sqlite3_stmt* s) { lines.push_back(text(s, 0) + " " + text(s, 1)); });
    each("SELECT * FROM \"" + table + "\" ORDER BY rowid", [&](sqlite3_stmt* s) {
      std::string line;
      for (int i = 0; i < sqlite3_column_count(s); ++i) {
        if (i > 0) line += ",";
        switch (sqlite3_column_type(s, i)) {
          case SQLITE_NULL:
            line += "NULL";
            break;
          case SQLITE_INTEGER:
          case SQLITE_FLOAT:
            line += text(s, i);
            break;
          default: {
            std::string value = text(s, i);
            std::string quoted = "'";
            for (const char c : value) quoted += c == '\'' ? std::string("''") : std::string(1, c);
            line += quoted + "'";
          }
        }
      }
      lines.push_back(line);
    });
  }
  sqlite3_close(db);
  return lines;
}

// Empty when both describe alike; else where they first differ.
std::string Difference(const std::vector<std::string>& expected,
                       const std::vector<std::string>& actual) {
  const std::size_t count = std::min(expected.size(), actual.size());
  std::size_t at = 0;
  while (at < count && expected[at] == actual[at]) ++at;
  if (at == count && expected.size() == actual.size()) return {};
  std::string table;
  for (std::size_t i = 0; i < at; ++i) {
    if (expected[i].rfind("== ", 0) == 0) table = expected[i];
  }
  auto line = [&](const std::vector<std::string>& lines) {
    return at < lines.size() ? lines[at] : std::string("(end)");
  };
  return "line " + std::to_string(at + 1) + " (in " + table + ") stand-in: " + line(expected) +
         "\n  ADO engine: " + line(actual) + "\n  (" + std::to_string(expected.size()) + " and " +
         std::to_string(actual.size()) + " lines)";
}

// --- The runs -------------------------------------------------------------------

struct ToolRun {
  int exit_code = -1;
  std::string err;
};

ToolRun RunTool(const std::string& program, const RunDirectories& dirs) {
  ToolRun run;
  run.exit_code = testing::RunProgram(ToolPath(program),
                                      {"--quiet", "--base", dirs.Base(), "--source", dirs.Source(),
                                       "--log", dirs.Scratch("run.log")},
                                      dirs.Scratch("tool.out"), dirs.Scratch("tool.err"));
  run.err = testing::ReadBytes(dirs.Scratch("tool.err"));
  return run;
}

std::vector<std::u16string>* g_log = nullptr;
void DT_STDCALL RecordLog(void*, std::int32_t, const char16_t* message) {
  g_log->push_back(message);
}

struct DoItRun {
  std::string result;
  std::vector<std::u16string> log;
};

// DoIt's run in this process, every engine of it the ADO engine over the
// provider with `script`.
DoItRun RunDoItOverProvider(const RunDirectories& dirs, std::shared_ptr<ProviderScript> script) {
  const ProviderEngines engines(std::move(script));
  DoItRun run;
  g_log = &run.log;
  platform::ManualClock clock;
  RunCallOptions options;
  options.clock = &clock;
  const std::string base = dirs.Base();
  const std::string source = dirs.Source();
  run.result =
      RunDoItCall(0x2222, base.c_str(), source.c_str(), HostLog(&RecordLog, nullptr), options);
  g_log = nullptr;
  return run;
}

// Three runs over the same export in three base directories: the stand-in
// tool, the tool built over the provider, and DoIt over the provider.
class BuildThroughAdoTest : public ::testing::Test {
 protected:
  // `through_doit` false runs the tool alone over the provider: the rows
  // the ADO engine writes one by one each commit on their own, slow under
  // Wine at 20,000 voucher lines, and DoIt's run differs from the tool's
  // only in what drives it.
  void ExpectSameWorkDatabases(bool through_doit = true) {
    for (const RunDirectories* dirs : {&ado_tool_, &ado_doit_}) {
      for (const auto& entry : fs::directory_iterator(standin_.Source())) {
        dirs->AddSource(entry.path().filename().string(),
                        testing::ReadBytes(entry.path().string()));
      }
    }
    const ToolRun standin = RunTool("dealtext", standin_);
    ASSERT_EQ(standin.exit_code, 0) << standin.err;
    const std::vector<std::string> expected = Describe(standin_.WorkDatabase());
    ASSERT_GT(expected.size(), 9u);

    const ToolRun ado = RunTool("dealtext-ado", ado_tool_);
    ASSERT_EQ(ado.exit_code, 0) << ado.err;
    EXPECT_EQ(Difference(expected, Describe(ado_tool_.WorkDatabase())), "") << "the tool";
    // The same statements failed and were logged on either engine.
    EXPECT_EQ(testing::ReadBytes(ado_tool_.Scratch("run.log")),
              testing::ReadBytes(standin_.Scratch("run.log")));

    if (!through_doit) return;
    const DoItRun doit = RunDoItOverProvider(ado_doit_, nullptr);
    ASSERT_EQ(doit.result, ado_doit_.ResultPath());
    EXPECT_EQ(Difference(expected, Describe(ado_doit_.WorkDatabase())), "") << "DoIt";
  }

  RunDirectories standin_;
  RunDirectories ado_tool_;
  RunDirectories ado_doit_;
};

TEST_F(BuildThroughAdoTest, FixtureExport) {
  AddFixtureExport(standin_);
  ExpectSameWorkDatabases();
}

TEST_F(BuildThroughAdoTest, SampleExport) {
  AddGeneratedExport(standin_, 2000, 1);
  ExpectSameWorkDatabases();
}

TEST_F(BuildThroughAdoTest, AwkwardValues) {
  AddAwkwardExport(standin_);
  ExpectSameWorkDatabases();
}

TEST_F(BuildThroughAdoTest, TwentyThousandVoucherLines) {
  AddGeneratedExport(standin_, 20000, 11);
  ExpectSameWorkDatabases(false);
}

// --- Failures of the provider end the run -------------------------------------

struct FaultCase {
  const char* name;
  const char* call;
  const char* subject;
  int skip;
  int native;  // 0: none
  const char* description;
  const char* phase;  // where the tool says the run failed
};

const FaultCase kFaults[] = {
    // A row of the clean-up's walk over the voucher lines, half way.
    {"UpdateInTheCleanUp", "Update", "BOOKDETAIL", 3, 0, "Scripted update failure",
     "cleaning the codes of BOOKDETAIL"},
    // Another session holds the work database while LOAN is imported.
    {"LockDuringAnImport", "Execute", "into LOAN", 0, 3218, "Could not update; currently locked",
     "importing LOAN.TXT"},
    // The work database's connection fails to close when it is saved, the
    // close that makes the provider write what it holds (the first close
    // of the work database is the template checks').
    {"CloseWhenSaving", "Close", "KORVA.mdb", 1, 3043, "Disk or network error", "saving "},
};

std::shared_ptr<ProviderScript> ScriptOf(const FaultCase& fault) {
  auto script = std::make_shared<ProviderScript>();
  script->Add({fault.call, fault.subject, fault.skip,
               fault.native != 0 ? testing::JetFailure(fault.native, fault.description)
                                 : engine::ado::Failure(static_cast<std::int32_t>(0x80004005),
                                                        fault.description, "", {})});
  return script;
}

class ProviderFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ProviderFaultTest, DoItResultIsZeroAndTheLogNamesTheFailure) {
  RunDirectories dirs;
  AddAwkwardExport(dirs);
  const std::shared_ptr<ProviderScript> script = ScriptOf(GetParam());
  const DoItRun run = RunDoItOverProvider(dirs, script);
  EXPECT_EQ(script->Fired(), 1);
  EXPECT_EQ(run.result, "0");
  ASSERT_FALSE(run.log.empty());
  EXPECT_NE(platform::Utf16ToUtf8(run.log.back()).find(GetParam().description), std::string::npos)
      << platform::Utf16ToUtf8(run.log.back());
}

TEST_P(ProviderFaultTest, ToolExitsNonZeroNamingTheFailure) {
  RunDirectories dirs;
  AddAwkwardExport(dirs);
  const FaultCase& fault = GetParam();
  ASSERT_TRUE(testing::SetEnvironment("DEALTEXT_PROVIDER_FAULT",
                                      std::string(fault.call) + "|" + fault.subject + "|" +
                                          std::to_string(fault.skip) + "|" +
                                          std::to_string(fault.native) + "|" + fault.description));
  const ToolRun run = RunTool("dealtext-ado", dirs);
  testing::SetEnvironment("DEALTEXT_PROVIDER_FAULT", "");
  EXPECT_EQ(run.exit_code, 1) << run.err;
  const std::size_t last = run.err.rfind("dealtext: failed while ");
  ASSERT_NE(last, std::string::npos) << run.err;
  EXPECT_EQ(run.err.find(fault.phase, last), last + 23) << run.err;
  EXPECT_NE(run.err.find(fault.description, last), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Faults, ProviderFaultTest, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dt

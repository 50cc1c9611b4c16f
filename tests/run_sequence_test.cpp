// The run sequence around the build: one run at a time per staging folder,
// the leftovers of a killed run cleared, source files whose names the run
// cannot or can carry, a source folder it cannot read, and a result that is
// only handed out once the work database is closed.
#include "src/entry/run_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/leftover_files.h"
#include "platform/paths.h"
#include "src/workdb/data_access.h"
#include "tests/entry_fixture.h"
#include "tests/faulty_disk.h"
#include "tests/leftover_temporary.h"
#include "tests/process_support.h"

namespace dt {
namespace {

namespace fs = std::filesystem;

using testing::RunDirectories;

// What the run reported, and a hook run as each phase begins.
class Events : public BuildEvents {
 public:
  void AdvanceProgress(int) override {}
  void Log(const std::string& ansi_message) override { logs.push_back(ansi_message); }
  void PhaseStarted(BuildPhase phase, const std::string& detail) override {
    phases.push_back(phase);
    if (on_phase) on_phase(phase, detail);
  }

  std::vector<std::string> logs;
  std::vector<BuildPhase> phases;
  std::function<void(BuildPhase, const std::string&)> on_phase;
};

class RunSequenceTest : public ::testing::Test {
 protected:
  std::string Run() {
    list_.clear();
    return RunSequence(dirs_.Source(), dirs_.Base(), list_, connection_, events_, {});
  }
  std::string StagingFolder() const { return dirs_.Base() + "TemplateTemp"; }

  // Rows of `table` in the work database, read through a connection of its own.
  std::int64_t Rows(const std::string& table) const {
    Connection connection;
    connection.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                                   dirs_.WorkDatabase());
    RowQuery query;
    query.SetConnection(connection);
    query.SetSQL("select count(*) as n from [" + table + "]");
    query.Open();
    return query.FieldByName("n").AsInteger();
  }

  RunDirectories dirs_;
  std::vector<std::string> list_;
  Connection connection_;
  Events events_;
};

TEST_F(RunSequenceTest, ASecondRunOnTheSameStagingFolderIsRefusedAndChangesNothing) {
  dirs_.AddSampleExport();
  std::string refusal;
  std::vector<BuildPhase> second_phases;
  std::size_t second_sources = 1;
  events_.on_phase = [&](BuildPhase phase, const std::string&) {
    if (phase != BuildPhase::kImport || !refusal.empty()) return;
    // The first run has imported nothing yet: a second run that went on
    // would copy the template over its work database.
    Connection connection;
    std::vector<std::string> list;
    Events events;
    try {
      RunSequence(dirs_.Source(), dirs_.Base(), list, connection, events, {});
      refusal = "the second run completed";
    } catch (const Exception& e) {
      refusal = e.Message();
    }
    second_phases = events.phases;
    second_sources = list.size();
  };
  EXPECT_EQ(Run(), dirs_.ResultPath());
  EXPECT_EQ(refusal, "The staging folder \"" + StagingFolder() + "\" is in use by another run");
  EXPECT_EQ(second_phases, std::vector<BuildPhase>{BuildPhase::kLock});
  EXPECT_EQ(second_sources, 0u);
  // The first run's tables are whole: one row of each, one voucher line.
  for (const char* table : {"ACCOUNTSECTIONS", "BOOK", "BOOKDETAIL", "LOAN", "REMAIN"}) {
    EXPECT_GE(Rows(table), 1) << table;
  }
  EXPECT_EQ(Rows("PZ"), 1);
}

// A staging folder that is the source folder, by another name of the same
// folder or (on POSIX) through a link, is refused before anything is
// written among the exports.
TEST_F(RunSequenceTest, AStagingFolderThatIsTheSourceFolderIsRefusedBeforeAnyWrite) {
  dirs_.AddSampleExport();
  const std::string D(1, platform::PathDelim);
  std::vector<std::string> sources = {StagingFolder() + D + "." + D + ".." + D + "TemplateTemp"};
  if (!platform::kNamesIgnoreCase) sources.push_back(dirs_.Source());
  for (const std::string& source : sources) {
    SCOPED_TRACE(source);
    const fs::path staging(StagingFolder());
    fs::remove_all(staging);
    if (source == dirs_.Source()) {
      fs::create_directory_symlink(dirs_.Source(), staging);
    } else {
      fs::copy(dirs_.Source(), staging);
    }
    auto files = [&] {
      std::set<std::string> names;
      for (const auto& entry : fs::directory_iterator(staging)) {
        names.insert(entry.path().filename().string());
      }
      return names;
    };
    const auto before = files();
    std::vector<std::string> list;
    try {
      RunSequence(source, dirs_.Base(), list, connection_, events_, {});
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "The staging folder \"" + StagingFolder() +
                                 "\" is the source folder \"" + source +
                                 "\": the run would write among the exports");
    }
    EXPECT_EQ(files(), before);
  }
}

TEST_F(RunSequenceTest, AnotherProcessIsRefusedWhileARunHoldsTheFolder) {
  dirs_.AddSampleExport();
  int exit_code = -1;
  std::string said;
  events_.on_phase = [&](BuildPhase phase, const std::string&) {
    if (phase != BuildPhase::kImport || exit_code != -1) return;
    const std::string err = dirs_.Scratch("tool.err");
    exit_code = testing::RunProgram(
        std::string(DEALTEXT_BUILD_DIR) + "/" + testing::ProgramFile("dealtext"),
        {"--quiet", "--base", dirs_.Base(), "--source", dirs_.Source()}, dirs_.Scratch("tool.out"),
        err);
    said = testing::ReadBytes(err);
  };
  Run();
  EXPECT_EQ(exit_code, 1);
  EXPECT_NE(said.find("is in use by another run"), std::string::npos) << said;
  EXPECT_EQ(Rows("PZ"), 1);
}

TEST_F(RunSequenceTest, AFailedRunLeavesTheFolderFreeForTheNext) {
  dirs_.AddSource("BOOK.TXT", "");
  EXPECT_THROW(Run(), EStringListError);
  dirs_.AddSampleExport();
  EXPECT_EQ(Run(), dirs_.ResultPath());
  EXPECT_EQ(Run(), dirs_.ResultPath());
}

TEST_F(RunSequenceTest, TemporariesOfAKilledRunAreRemoved) {
  dirs_.AddSampleExport();
  const std::string staged = testing::LeaveTemporaryOf(StagingFolder(), "BOOK.TXT");
  const std::string database = testing::LeaveTemporaryOf(StagingFolder(), "KORVA.mdb");
  Run();
  EXPECT_FALSE(std::filesystem::exists(StagingFolder() + platform::PathDelim + staged));
  EXPECT_FALSE(std::filesystem::exists(StagingFolder() + platform::PathDelim + database));
}

// schema.ini, which the run leaves in the staging folder, is neither an
// export nor a temporary: discovery passes over one in the source folder,
// and the clean-up of a killed run's files keeps it.
TEST_F(RunSequenceTest, SchemaIniIsNoExportAndNoLeftover) {
  dirs_.AddSampleExport();
  dirs_.AddSource("schema.ini", "[BOOK.TXT]\r\nCharacterSet=65001\r\n");
  const std::string leftover = testing::LeaveTemporaryOf(StagingFolder(), "schema.ini");
  EXPECT_EQ(Run(), dirs_.ResultPath());
  EXPECT_EQ(list_.size(), 7u);
  EXPECT_FALSE(std::filesystem::exists(StagingFolder() + platform::PathDelim + leftover));

  const std::string schema = StagingFolder() + platform::PathDelim + "schema.ini";
  const std::string described = testing::ReadBytes(schema);
  EXPECT_NE(described.find("[BOOK.TXT]\r\n"), std::string::npos);
  EXPECT_EQ(platform::RemoveLeftoverTemporaries(StagingFolder()), 0);
  EXPECT_EQ(testing::ReadBytes(schema), described);
}

TEST_F(RunSequenceTest, TheResultIsHandedOutWithTheWorkDatabaseClosed) {
  dirs_.AddSampleExport();
  EXPECT_EQ(Run(), dirs_.ResultPath());
  EXPECT_FALSE(connection_.Connected());
  EXPECT_EQ(events_.phases.back(), BuildPhase::kSave);
}

TEST_F(RunSequenceTest, AFileNameTheCodePageLacksIsSkippedAndTheRunGoesOn) {
  dirs_.AddSampleExport();
  // U+1F600 has no code page 936 form: '?' in its place would name no file.
  std::ofstream(std::filesystem::path(dirs_.Source()) / u8"\U0001F600.txt") << "x\r\n1\r\n";
  EXPECT_EQ(Run(), dirs_.ResultPath());
  EXPECT_EQ(list_.size(), 7u);
  ASSERT_EQ(events_.logs.size(), 1u);
  EXPECT_EQ(events_.logs[0], "Skipped \"" + dirs_.Source() + platform::PathDelim +
                                 "\\xF0\\x9F\\x98\\x80.txt\": its name holds a character that "
                                 "code page 936 lacks");
  EXPECT_EQ(Rows("PZ"), 1);
}

#ifndef _WIN32
TEST_F(RunSequenceTest, AFileNameThatIsNotUtf8IsImportedAsCodePageText) {
  dirs_.AddSampleExport();
  // "账" in code page 936, as an archive made on Windows unpacks it here.
  const std::string name = "\xD5\xCB.txt";
  testing::WriteBytes(dirs_.Source() + "/" + name, "header\r\n1\r\n2\r\n");
  EXPECT_EQ(Run(), dirs_.ResultPath());
  EXPECT_NE(std::find(list_.begin(), list_.end(), dirs_.Source() + "/" + name), list_.end());
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  EXPECT_EQ(Rows("\xD5\xCB"), 2);
  // Staged under its name in the file system's UTF-8.
  EXPECT_TRUE(std::filesystem::exists(StagingFolder() + "/\xE8\xB4\xA6.txt"));
}

#endif

TEST_F(RunSequenceTest, ASourceFolderThatCannotBeReadEndsTheRunNamingIt) {
  dirs_.AddSampleExport();
  testing::FaultyDisk disk;
  disk.FailListings("source");
  try {
    Run();
    ADD_FAILURE() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot read folder \"" + dirs_.Source() + platform::PathDelim + "\". " +
                               platform::SystemErrorText(testing::kAccessDeniedError));
  }
  EXPECT_FALSE(dirs_.WorkDatabaseExists());
}

}  // namespace
}  // namespace dt

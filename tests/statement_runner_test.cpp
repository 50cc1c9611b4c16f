// The statement runner: a failed statement is logged once with the exact
// message bytes and swallowed; the build's next step still runs. A failing
// disk is logged the same way and ends the run.
#include "src/workdb/statement_runner.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/error.h"
#include "platform/errors.h"
#include "src/workdb/data_access.h"
#include "tests/build_test_util.h"
#include "tests/disk_failure.h"

namespace dt {
namespace {

using testing::BaseDir;
using testing::Db;
using testing::RecordingEvents;
using testing::U8;

// "不能执行" in code page 936.
const std::string kCannotRunBytes = "\xB2\xBB\xC4\xDC\xD6\xB4\xD0\xD0";

class StatementRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Db(base_.WorkDatabase()).Exec("create table T (A varchar(20))");
    connection_.SetConnectionString(base_.WorkConnection());
    connection_.Open();
  }

  // The message the engine gives for `statement`, through the component.
  std::string ErrorOf(const std::string& statement) {
    StatementCommand command;
    command.SetConnection(connection_);
    command.SetCommandText(statement);
    try {
      command.Execute();
    } catch (const Exception& e) {
      return e.Message();
    }
    ADD_FAILURE() << "statement did not fail: " << statement;
    return "";
  }

  BaseDir base_;
  Connection connection_;
  RecordingEvents events_;
};

TEST_F(StatementRunnerTest, FailureIsLoggedWithTheExactBytes) {
  const std::vector<std::string> statements = {
      "select * from Missing",
      "  insert into Missing values ('x')  ",  // spaces and quotes stand as given
      testing::Gbk(u8"insert into 缺少 values ('值')"),
  };
  for (const auto& statement : statements) {
    const std::string error = ErrorOf(statement);
    events_.logs.clear();
    RunStatement(statement, connection_, events_);
    ASSERT_EQ(events_.logs.size(), 1u) << statement;
    EXPECT_EQ(events_.logs[0], "SQL=" + statement + kCannotRunBytes + error);
  }
}

TEST_F(StatementRunnerTest, SuccessLogsNothingAndTheNextStepRuns) {
  RunStatement("insert into Missing values ('x')", connection_, events_);
  RunStatement("insert into T values ('after')", connection_, events_);
  RunStatement("select * from T", connection_, events_);
  EXPECT_EQ(events_.logs.size(), 1u);
  EXPECT_EQ(Db(base_.WorkDatabase()).Column("select A from T"), std::vector<std::string>{"after"});
}

TEST_F(StatementRunnerTest, ManyStatementsLeaveTheConnectionUsable) {
  for (int i = 0; i < 200; ++i) {
    RunStatement(i % 2 ? "insert into T values ('" + std::to_string(i) + "')" : "bogus",
                 connection_, events_);
  }
  EXPECT_EQ(events_.logs.size(), 100u);
  EXPECT_EQ(Db(base_.WorkDatabase()).Count("T"), 100u);
  EXPECT_TRUE(connection_.Connected());
}

TEST(StatementGuardTest, EmptyErrorMessageLeavesNothingAfterTheFrame) {
  RecordingEvents events;
  RunGuarded(
      " s ", [] { throw EOleException(""); }, events);
  ASSERT_EQ(events.logs.size(), 1u);
  EXPECT_EQ(events.logs[0], "SQL= s " + kCannotRunBytes);
}

TEST(StatementGuardTest, EveryErrorKindIsCaughtOnlyErrorsOfTheSystemAre) {
  RecordingEvents events;
  RunGuarded(
      "a", [] { throw EFOpenError("open"); }, events);
  RunGuarded(
      "b", [] { throw Exception("plain"); }, events);
  RunGuarded(
      "c", [] {}, events);
  EXPECT_EQ(events.logs, (std::vector<std::string>{"SQL=a" + kCannotRunBytes + "open",
                                                   "SQL=b" + kCannotRunBytes + "plain"}));
  EXPECT_THROW(RunGuarded(
                   "d", [] { throw std::logic_error("bug"); }, events),
               std::logic_error);
}

TEST(StatementGuardTest, AFailingDiskIsLoggedAndPassedOn) {
  RecordingEvents events;
  try {
    RunGuarded(
        "s", [] { throw EOleIoError("disk I/O error"); }, events);
    ADD_FAILURE() << "the failure was swallowed";
  } catch (const EOleIoError& e) {
    EXPECT_EQ(e.Message(), "disk I/O error");
  }
  EXPECT_EQ(events.logs, std::vector<std::string>{"SQL=s" + kCannotRunBytes + "disk I/O error"});
}

// An import into a work database whose disk fails: the statement failure is
// logged once, the failure reaches the caller, and no table is left half made.
TEST(StatementRunnerDiskTest, AnImportTheDiskFailsIsLoggedAndEndsTheRun) {
  for (const testing::DiskFault& fault : testing::DiskFaults()) {
    SCOPED_TRACE(fault.name);
    BaseDir base;
    Db(base.WorkDatabase()).Exec("create table Earlier (A varchar(5))");
    std::string rows = "CODE,NAME\r\n";
    for (int i = 0; i < 200; ++i) rows += std::to_string(i) + ",a name that fills a page\r\n";
    testing::WriteFile(base.path() / "TemplateTemp" / "LOAN.TXT", rows);
    const std::string statement =
        "select * into LOAN in \"" + base.WorkDatabase().string() + "\" from LOAN.TXT";
    Connection text;
    text.SetConnectionString(
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + (base.path() / "TemplateTemp").string() +
        platform::PathDelim + ";Extended Properties=text");
    text.Open();
    RecordingEvents events;
    {
      const auto failure = fault.make(base.WorkDatabase());
      try {
        RunStatement(statement, text, events);
        ADD_FAILURE() << "the import went on";
      } catch (const EOleIoError& e) {
        EXPECT_EQ(events.logs,
                  std::vector<std::string>{"SQL=" + statement + kCannotRunBytes + e.Message()});
      }
    }
    Db db(base.WorkDatabase());
    EXPECT_EQ(db.Count("Earlier"), 0u);
    EXPECT_THROW(db.Count("LOAN"), engine::Error);
  }
}

TEST(StatementGuardTest, ClosedConnectionWithoutSourceIsLoggedNotRaised) {
  RecordingEvents events;
  Connection connection;  // no connection string: opening on demand fails
  EXPECT_NO_THROW(RunStatement("select 1", connection, events));
  ASSERT_EQ(events.logs.size(), 1u);
  EXPECT_EQ(events.logs[0].rfind("SQL=select 1" + kCannotRunBytes, 0), 0u);
}

}  // namespace
}  // namespace dt

// The whole build through RunBuild: the seven sample source files into a
// complete work database, every table checked; a generated export checked
// for consistency; failures that end the build where they happen.
#include "src/workdb/build.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "engine/database_format.h"
#include "engine/error.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "src/staging/discovery.h"
#include "src/workdb/data_access.h"
#include "src/workdb/imports.h"
#include "src/workdb/statement_runner.h"
#include "tests/build_test_util.h"
#include "tests/disk_failure.h"
#include "tests/sqlite_integrity.h"
#include "tests/sqlite_memory_limit.h"

#if __has_include("bench/export_generator.h")
#include "bench/export_generator.h"
#include "engine/standin/text/text_reader.h"
#define DEALTEXT_HAVE_EXPORT_GENERATOR 1
#endif

namespace dt {
namespace {

namespace fs = std::filesystem;
using testing::BaseDir;
using testing::Db;
using testing::RecordingEvents;
using testing::TempDir;
using testing::U8;
using Rows = std::vector<std::vector<std::string>>;
using Strings = std::vector<std::string>;

const fs::path kSamples = fs::path(DEALTEXT_TEST_DATA) / "export" / "source";
const Strings kSampleFiles = {"ACCOUNTSECTIONS.TXT", "BOOK.TXT", "BOOKDETAIL.TXT",
                              "BUDGETSECTION.TXT",   "ITEM.TXT", "LOAN.TXT",
                              "REMAIN.TXT"};

Strings SampleSources() {
  Strings sources;
  for (const auto& name : kSampleFiles) sources.push_back((kSamples / name).string());
  return sources;
}

Rows Sorted(Db& db, const std::string& sql) {
  Rows out;
  for (const auto& row : db.Rows(sql)) {
    Strings values;
    for (const auto& v : row) values.push_back(v ? *v : "<null>");
    out.push_back(values);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// SQLite's own verdict on the file the build left.
std::string IntegrityCheck(const fs::path& file) { return testing::IntegrityOf(file.string()); }

class BuildTest : public ::testing::Test {
 protected:
  void Run(const Strings& sources) {
    RunBuild(MakeWorkPaths(base_.Base()), sources, connection_, events_);
  }

  BaseDir base_;
  Connection connection_;
  RecordingEvents events_;
};

TEST_F(BuildTest, SampleExportBecomesACompleteWorkDatabase) {
  Run(SampleSources());
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  EXPECT_EQ(events_.progress, 110);  // the receiver caps it at 100
  // Saved and closed: the database is on disk before the build returns.
  EXPECT_FALSE(connection_.Connected());

  Db db(base_.WorkDatabase());
  const std::vector<std::pair<std::string, std::size_t>> counts = {
      {"ACCOUNTSECTIONS", 5}, {"BOOK", 3}, {"BOOKDETAIL", 6},
      {"BUDGETSECTION", 3},   {"ITEM", 2}, {"LOAN", 1},
      {"REMAIN", 3},          {"KMYE", 3}, {"PZ", 5},
      {"aidInfo", 4}};
  for (const auto& [table, rows] : counts) EXPECT_EQ(db.Count(table), rows) << table;

  EXPECT_EQ(Sorted(db, "select SID, NewCode, NAME from ACCOUNTSECTIONS"),
            (Rows{{"101", "101", U8(u8"现金")},
                  {"10101", "10101", U8(u8"现金,备用")},
                  {"10101203", "101123", U8(u8"零用")},
                  {"2001", "00201", U8(u8"应付")},
                  {"50020101007", "005021107", U8(u8"支出")}}));

  EXPECT_EQ(
      Sorted(db,
             "select BOOKNO, SUMMARY, TotalMoney, DEBCRE, BILLS, SID, PZRQ, NewCode, "
             "funcode, progcode from PZ"),
      (Rows{{"<null>", U8(u8"无凭证"), "1", "1", "<null>", "", "<null>", "<null>", "", ""},
            {"B1", U8(u8"应付款"), "1234.56", "2", "2", "2001", "2024-01-05", "00201", "2002", ""},
            {"B1", U8(u8"购买设备"), "1234.56", "1", "2", "10101", "2024-01-05", "10101", "2001",
             "301"},
            {"B2", U8(u8"支付,含逗号"), "80", "1", "1", "50020101007", "2024-12-31", "005021107",
             "", ""},
            {"B3", U8(u8"零用"), "9.9", "1", "3", "10101203", "2023-02-28", "101123", "", "302"}}));
  const Strings numbers = db.Column("select flxh from PZ");
  EXPECT_EQ(std::set<std::string>(numbers.begin(), numbers.end()).size(), 5u);

  EXPECT_EQ(Sorted(db, "select bal00, NewCode, DEBCRE, funcode, progcode from KMYE"),
            (Rows{{"1000.00", "101", "1", "2001", "301"},
                  {"50", "00201", "2", "<null>", "<null>"},
                  {"7", "<null>", "<null>", "<null>", "<null>"}}));

  EXPECT_EQ(Sorted(db,
                   "select AidType, aidCode, AidName, AidDec, AidVouSourceFiledName, "
                   "AidBalSourceFiledName from aidInfo"),
            (Rows{{U8(u8"项目"), "301", U8(u8"校舍"), "", "progCode", "progCode"},
                  {U8(u8"项目"), "302", U8(u8"设备"), "", "progCode", "progCode"},
                  {U8(u8"预算"), "2001", U8(u8"教育"), "", "funCode", "funCode"},
                  {U8(u8"预算"), "2002", U8(u8"科技"), "", "funCode", "funCode"}}));

  EXPECT_EQ(db.Column("select SID from BOOK"), (Strings{"101", "2001", "10101"}));
  EXPECT_EQ(db.Column("select SID from BOOKDETAIL"),
            (Strings{"10101", "2001", "50020101007", "101", "10101203", "999"}));
  EXPECT_EQ(db.Column("select BID from BOOKDETAIL"), (Strings{"2001", "2002", "", "", "", ""}));
  EXPECT_EQ(db.Column("select IID from BOOKDETAIL"), (Strings{"301", "", "", "", "302", ""}));
  EXPECT_EQ(db.Column("select BID from BUDGETSECTION"), (Strings{"2001", "2002", "<null>"}));
  EXPECT_EQ(db.Column("select IID from ITEM"), (Strings{"301", "302"}));
  EXPECT_EQ(db.Column("select SID from REMAIN"), (Strings{"101", "2001", "888"}));
  EXPECT_EQ(db.Column("select IID from REMAIN"), (Strings{"301", "", ""}));
  EXPECT_EQ(db.Column("select BID from REMAIN"), (Strings{"2001", "", "909"}));
  EXPECT_EQ(db.Column("select SID from LOAN"), (Strings{"101"}));  // no step touches it

  EXPECT_EQ(IntegrityCheck(base_.WorkDatabase()), "ok");
}

TEST_F(BuildTest, PhasesAreAnnouncedInOrder) {
  Run(SampleSources());
  std::vector<BuildPhase> order;
  for (const auto& [phase, detail] : events_.phases) {
    if (order.empty() || order.back() != phase || phase == BuildPhase::kStaging) {
      order.push_back(phase);
    }
  }
  std::vector<BuildPhase> expected = {BuildPhase::kChecks, BuildPhase::kTemplateCopy,
                                      BuildPhase::kChecks};
  for (std::size_t i = 0; i < kSampleFiles.size(); ++i) {
    expected.push_back(BuildPhase::kStaging);
    expected.push_back(BuildPhase::kImport);
  }
  expected.insert(expected.end(), {BuildPhase::kAccountCodes, BuildPhase::kDerivedTables,
                                   BuildPhase::kCleanup, BuildPhase::kSave});
  EXPECT_EQ(order, expected);
  EXPECT_EQ(events_.phases[3].second, "ACCOUNTSECTIONS.TXT");
  const auto last_cleanup = events_.phases.end() - 2;
  EXPECT_EQ(*last_cleanup, std::make_pair(BuildPhase::kCleanup, std::string("remain")));
}

TEST_F(BuildTest, SecondRunRebuildsFromTheTemplate) {
  Run(SampleSources());
  Run(SampleSources());
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  connection_.Close();
  Db db(base_.WorkDatabase());
  EXPECT_EQ(db.Count("PZ"), 5u);
  EXPECT_EQ(db.Count("ACCOUNTSECTIONS"), 5u);
}

TEST_F(BuildTest, WithoutVoucherLinesTheBuildEndsAtTheirCleanup) {
  Strings sources = SampleSources();
  sources.erase(sources.begin() + 2);  // BOOKDETAIL.TXT
  try {
    Run(sources);
    FAIL() << "no error";
  } catch (const EOleException& e) {
    EXPECT_NE(e.Message().find("BOOKDETAIL"), std::string::npos) << e.Message();
  }
  // PZ and its numbering could not be made, each logged once; the clean-up
  // ended at the voucher lines, after the vouchers.
  EXPECT_EQ(events_.logs.size(), 2u);
  connection_.Close();
  Db db(base_.WorkDatabase());
  EXPECT_EQ(db.Column("select SID from BOOK"), (Strings{"101", "2001", "10101"}));
  EXPECT_EQ(db.Column("select SID from REMAIN"), (Strings{"101", "2.01", "888"}));
  EXPECT_EQ(db.Column("select SID from ACCOUNTSECTIONS").at(1), "10101");
}

TEST_F(BuildTest, EmptySourceFileEndsTheBuildAfterEarlierImports) {
  TempDir sources_dir;
  testing::WriteFile(sources_dir.path() / "ITEM.TXT", "");
  Strings sources = {(kSamples / "BOOK.TXT").string(), (sources_dir.path() / "ITEM.TXT").string()};
  try {
    Run(sources);
    FAIL() << "no error";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (0)");
  }
  connection_.Close();
  EXPECT_EQ(Db(base_.WorkDatabase()).Count("BOOK"), 3u);
}

TEST_F(BuildTest, MissingTemplateEndsTheBuildBeforeAnythingIsStaged) {
  fs::remove(base_.path() / "DataBase" / "empty.mdb");
  EXPECT_THROW(Run(SampleSources()), Exception);
  EXPECT_EQ(events_.progress, 0);
  EXPECT_FALSE(fs::exists(base_.path() / "TemplateTemp" / "BOOK.TXT"));
  EXPECT_FALSE(connection_.Connected());
}

// A voucher date as an export may write it, with space around a part, gives
// PZ its date. One that is no date in any reading keeps PZ from being made:
// the logged statement failure quotes the BOOK value, and the build ends
// where the clean-up finds PZ missing.
TEST_F(BuildTest, VoucherDatesAreReadAsWindowsReadsThem) {
  struct Case {
    std::string day;
    std::optional<std::string> date;  // of voucher B1; nullopt: PZ is not made
  };
  const std::vector<Case> cases = {{" 5", "2024-01-05"}, {"5\t", "2024-01-05"}, {"32", {}}};
  const std::string book = testing::ReadFile(kSamples / "BOOK.TXT");
  const std::string b1 = "1,2024,B1,1,5,";
  ASSERT_NE(book.find(b1), std::string::npos);
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + c.day + "'");
    TempDir export_dir;
    Strings sources;
    for (const auto& name : kSampleFiles) {
      std::string bytes = testing::ReadFile(kSamples / name);
      if (name == "BOOK.TXT")
        bytes.replace(bytes.find(b1), b1.size(), "1,2024,B1,1," + c.day + ",");
      testing::WriteFile(export_dir.path() / name, bytes);
      sources.push_back((export_dir.path() / name).string());
    }
    BaseDir base;
    Connection connection;
    RecordingEvents events;
    if (c.date) {
      RunBuild(MakeWorkPaths(base.Base()), sources, connection, events);
      EXPECT_TRUE(events.logs.empty()) << events.logs.front();
      EXPECT_EQ(Db(base.WorkDatabase()).Column("select distinct PZRQ from PZ where BOOKNO = 'B1'"),
                Strings{*c.date});
      continue;
    }
    try {
      RunBuild(MakeWorkPaths(base.Base()), sources, connection, events);
      ADD_FAILURE() << "no error";
    } catch (const EOleException& e) {
      EXPECT_EQ(e.Message(), "Table 'PZ' does not exist");
    }
    ASSERT_EQ(events.logs.size(), 2u);
    EXPECT_EQ(events.logs[0].rfind("SQL=Select a.TotalMoney", 0), 0u) << events.logs[0];
    EXPECT_NE(events.logs[0].find("Data type mismatch"), std::string::npos) << events.logs[0];
    EXPECT_NE(events.logs[0].find("'2024-1-32'"), std::string::npos) << events.logs[0];
  }
}

// A disk that fails while one file is imported, and is sound again after:
// the build ends at that import, with the failure logged once, instead of
// going on to report success without the table.
TEST_F(BuildTest, ADiskFailureDuringAnImportEndsTheBuild) {
  class FailingDisk : public RecordingEvents {
   public:
    FailingDisk(const testing::DiskFault& fault, fs::path database)
        : fault_(fault), database_(std::move(database)) {}
    void PhaseStarted(BuildPhase phase, const std::string& detail) override {
      RecordingEvents::PhaseStarted(phase, detail);
      failure.reset();
      if (phase == BuildPhase::kImport && detail == "LOAN.TXT") failure = fault_.make(database_);
    }
    std::unique_ptr<testing::DiskFailure> failure;

   private:
    const testing::DiskFault& fault_;
    fs::path database_;
  };
  for (const testing::DiskFault& fault : testing::DiskFaults()) {
    SCOPED_TRACE(fault.name);
    BaseDir base;
    Connection connection;
    FailingDisk events(fault, base.WorkDatabase());
    try {
      RunBuild(MakeWorkPaths(base.Base()), SampleSources(), connection, events);
      ADD_FAILURE() << "the build went on";
    } catch (const EOleIoError& e) {
      const std::string import =
          ImportStatement("LOAN.TXT", MakeWorkPaths(base.Base()).work_database);
      EXPECT_EQ(events.logs, Strings{StatementFailureMessage(import, e.Message())});
    }
    events.failure.reset();
    EXPECT_EQ(events.phases.back(), std::make_pair(BuildPhase::kImport, std::string("LOAN.TXT")));
    connection.Close();
    Db db(base.WorkDatabase());
    EXPECT_EQ(db.Count("ITEM"), 2u);
    EXPECT_THROW(db.Count("LOAN"), engine::Error);
  }
}

// Memory that runs out while a table is imported ends the build there, for
// a known table and an unknown one alike, the failure logged as any failed
// statement: the run never reports success without the table.
TEST_F(BuildTest, MemoryThatRunsOutDuringAnImportEndsTheBuild) {
  for (const std::string name : {"LOAN.TXT", "BIG.TXT"}) {
    SCOPED_TRACE(name);
    TempDir other;
    testing::WriteFile(other.path() / name, "SID,NOTE\r\n101," + std::string(60000, 'x') + "\r\n");
    Strings sources = SampleSources();
    sources.erase(std::remove(sources.begin(), sources.end(), (kSamples / name).string()),
                  sources.end());
    sources.insert(sources.begin() + 3, (other.path() / name).string());
    BaseDir base;
    RecordingEvents events;
    const testing::SqliteAllocationLimit limit(32 << 10);
    {
      Connection connection;
      try {
        RunBuild(MakeWorkPaths(base.Base()), sources, connection, events);
        ADD_FAILURE() << "the build went on";
      } catch (const EOleIoError& e) {
        EXPECT_NE(e.Message().find("out of memory"), std::string::npos) << e.Message();
        const std::string import = ImportStatement(name, MakeWorkPaths(base.Base()).work_database);
        EXPECT_EQ(events.logs, Strings{StatementFailureMessage(import, e.Message())});
      }
    }
    EXPECT_EQ(events.phases.back(), std::make_pair(BuildPhase::kImport, name));
  }
}

// A work database that another connection holds locked while a table is
// imported is neither a file of another format nor a bad statement: the
// build ends there, naming the file.
TEST_F(BuildTest, AWorkDatabaseLockedElsewhereEndsTheBuildNamingIt) {
  class Locker : public RecordingEvents {
   public:
    explicit Locker(fs::path database) : database_(std::move(database)) {}
    ~Locker() override { Unlock(); }
    void PhaseStarted(BuildPhase phase, const std::string& detail) override {
      RecordingEvents::PhaseStarted(phase, detail);
      if (phase != BuildPhase::kImport || db_ != nullptr) return;
      ASSERT_EQ(sqlite3_open(database_.string().c_str(), &db_), SQLITE_OK);
      ASSERT_EQ(sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    void Unlock() {
      if (db_ == nullptr) return;
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(db_);
      db_ = nullptr;
    }

   private:
    fs::path database_;
    sqlite3* db_ = nullptr;
  };
  Locker events(base_.WorkDatabase());
  const std::string work_database = MakeWorkPaths(base_.Base()).work_database;
  try {
    RunBuild(MakeWorkPaths(base_.Base()), SampleSources(), connection_, events);
    ADD_FAILURE() << "the build went on";
  } catch (const EOleIoError& e) {
    EXPECT_EQ(e.Message(), "Could not use '" + work_database + "'; file already in use");
    const std::string import = ImportStatement("ACCOUNTSECTIONS.TXT", work_database);
    EXPECT_EQ(events.logs, Strings{StatementFailureMessage(import, e.Message())});
  }
  events.Unlock();
  EXPECT_EQ(events.phases.back(),
            std::make_pair(BuildPhase::kImport, std::string("ACCOUNTSECTIONS.TXT")));
}

// --- What the build checks before its work --------------------------------

// `path` with each '/' made the platform's path delimiter.
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', platform::PathDelim);
  return path;
}

// A build that ends before staging leaves the staging folder as it was.
void ExpectNothingStaged(const BaseDir& base, const RecordingEvents& events) {
  EXPECT_EQ(events.progress, 0);
  for (const auto& [phase, detail] : events.phases) {
    EXPECT_NE(phase, BuildPhase::kStaging) << detail;
  }
  EXPECT_FALSE(fs::exists(base.path() / "TemplateTemp" / "BOOK.TXT"));
}

TEST_F(BuildTest, ASourceFileNamedLikeADerivedTableEndsTheBuildBeforeItStarts) {
  for (const char* name : {"KMYE.txt", "pz.TXT", "AidInfo.txt", "AIDINFO.TXT"}) {
    BaseDir base;
    TempDir stray;
    testing::WriteFile(stray.path() / name, "a\r\n1\r\n");
    Strings sources = SampleSources();
    sources.insert(sources.begin() + 3, (stray.path() / name).string());
    RecordingEvents events;
    try {
      RunBuild(MakeWorkPaths(base.Base()), sources, connection_, events);
      ADD_FAILURE() << name << ": no error";
    } catch (const Exception& e) {
      const std::string table = std::string(name).substr(0, std::string(name).size() - 4);
      EXPECT_EQ(e.Message(), "Source file \"" + (stray.path() / name).string() +
                                 "\" would be imported as table " + table +
                                 ", which the build derives itself");
    }
    ExpectNothingStaged(base, events);
    EXPECT_FALSE(fs::exists(base.WorkDatabase())) << name;
  }
}

TEST_F(BuildTest, TwoExportsForOneTableEndTheBuildBeforeItStarts) {
  // Two folders, so that the names may differ in letter case alone on any
  // file system: staged into one folder they would be one file.
  TempDir other;
  testing::WriteFile(other.path() / "book.txt", "a\r\n1\r\n");
  Strings sources = SampleSources();
  sources.push_back((other.path() / "book.txt").string());
  try {
    Run(sources);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Source files \"" + (kSamples / "BOOK.TXT").string() + "\" and \"" +
                               (other.path() / "book.txt").string() +
                               "\" would both be imported as table book");
  }
  ExpectNothingStaged(base_, events_);
}

// A file named in UTF-8 and one named by the same characters' code page 936
// bytes (an archive made on Windows) give one text: the refusal tells which
// is which.
TEST_F(BuildTest, TwoExportsNamedAlikeInTwoEncodingsAreToldApart) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows names files in UTF-16: no two names read alike";
#else
  TempDir other;
  testing::WriteFile(other.path() / u8"\u8D26\u672C.txt", "a\r\n1\r\n");
  testing::WriteFile(other.path() / std::string("\xD5\xCB\xB1\xBE.txt"), "a\r\n1\r\n");
  Strings sources;
  DiscoverSources(other.path().string() + platform::PathDelim, sources, nullptr);
  const std::string path = other.path().string() + "/" + testing::Gbk(u8"\u8D26\u672C.txt");
  ASSERT_EQ(sources, (Strings{path, path}));
  try {
    Run(sources);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Source files \"" + path + "\" (its name in UTF-8) and \"" + path +
                               "\" (its name in code page 936) would both be imported as table " +
                               testing::Gbk(u8"\u8D26\u672C"));
  }
  ExpectNothingStaged(base_, events_);
#endif
}

TEST_F(BuildTest, NamesThatDifferBeyondLetterCaseAreDifferentTables) {
  // 丄 and 乤 differ in code page 936 only by a trail byte that reads as
  // 'A' against 'a': upper-casing single bytes would take them for one.
  TempDir other;
  Strings sources = SampleSources();
  for (const char8_t* name : {u8"\u4E04.txt", u8"\u4E64.txt"}) {
    testing::WriteFile(other.path() / name, "a\r\n1\r\n");
    sources.push_back(other.path().string() + platform::PathDelim + testing::Gbk(name));
  }
  Run(sources);
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  Db db(base_.WorkDatabase());
  EXPECT_EQ(db.Count(U8(u8"\u4E04")), 1u);
  EXPECT_EQ(db.Count(U8(u8"\u4E64")), 1u);
}

// A name that the import statement reads as another file would take that
// file's rows (the staged copy an earlier run left) for this export's; it
// is refused before anything is staged, and the source folder stays as it
// was. A name whose statement merely fails is still only logged.
TEST_F(BuildTest, ANameTheImportReadsAsAnotherFileEndsTheBuildBeforeItStarts) {
  struct Case {
    const char* name;
    const char* reads;               // nullptr: the run goes on
    const char* unlisted = nullptr;  // a catalogue file left out of the export
  };
  const Case cases[] = {
      {"BOOK .TXT", "BOOK.TXT"},
      {" BOOK.TXT", "BOOK.TXT"},
      {"[BOOKDETAIL].TXT", "BOOKDETAIL.TXT"},
      {"[LOAN].txt", "LOAN.txt", "LOAN.TXT"},  // a catalogue table's
      {"[old].txt", "old.txt"},                // a staged copy an earlier run left
      // A file the run knows nothing of: its statement fails, and is logged.
      {"[x].txt", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BaseDir base;
    testing::WriteFile(base.path() / "TemplateTemp" / "old.txt", "a\r\n1\r\n");
    TempDir odd;
    testing::WriteFile(odd.path() / c.name, "a\r\n1\r\n");
    Strings sources = SampleSources();
    if (c.unlisted != nullptr) std::erase(sources, (kSamples / c.unlisted).string());
    const std::string source = odd.path().string() + platform::PathDelim + c.name;
    sources.push_back(source);
    RecordingEvents events;
    try {
      RunBuild(MakeWorkPaths(base.Base()), sources, connection_, events);
      EXPECT_EQ(c.reads, nullptr) << "no error";
      EXPECT_EQ(events.logs.size(), 1u);  // its import fails, and is logged
    } catch (const Exception& e) {
      ASSERT_NE(c.reads, nullptr) << e.Message();
      EXPECT_EQ(e.Message(), "Source file \"" + source +
                                 "\" cannot be imported under its name: its import statement "
                                 "would read file \"" +
                                 c.reads + "\"");
      ExpectNothingStaged(base, events);
    }
    connection_.Close();
    EXPECT_EQ(testing::ReadFile(odd.path() / c.name), "a\r\n1\r\n");
  }
}

// Side files as SQLite leaves them beside a database, taken while they
// exist: a hot journal (of a transaction under way), a write-ahead log of
// committed frames (pages of 4096 bytes), and a journal kept in
// persist mode once its transaction is done, its header zeroed.
struct SqliteSideFiles {
  std::string hot_journal;
  std::string wal;
  std::string persisted_journal;
};

SqliteSideFiles MakeSqliteSideFiles(const fs::path& dir) {
  SqliteSideFiles side;
  auto with = [&](const std::string& name, const std::string& sql,
                  const std::function<void()>& meanwhile) {
    const fs::path file = dir / name;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    meanwhile();
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  };
  auto read = [&](const std::string& name) { return testing::ReadFile(dir / name); };
  // A cache too small for the transaction spills pages into the file: its
  // journal is then synced and given its header.
  with("hot.db",
       "PRAGMA page_size = 4096; PRAGMA cache_size = 2; CREATE TABLE t (a); INSERT INTO t "
       "VALUES (1); BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
       "i < 100) INSERT INTO t SELECT printf('%.1000c', 'x') FROM n;",
       [&] { side.hot_journal = read("hot.db-journal"); });
  with("wal.db",
       "PRAGMA page_size = 4096; PRAGMA journal_mode = WAL; CREATE TABLE t (a); INSERT INTO t "
       "VALUES (1);",
       [&] { side.wal = read("wal.db-wal"); });
  with("persist.db", "PRAGMA journal_mode = PERSIST; CREATE TABLE t (a); INSERT INTO t VALUES (1);",
       [] {});
  side.persisted_journal = read("persist.db-journal");
  return side;
}

// A template the run cannot copy soundly, or whose work database the host
// could not read, is refused before the copy: the work database of the run
// before stays as it was, and nothing is staged.
TEST_F(BuildTest, ATemplateThatCannotServeIsRefusedBeforeItIsCopied) {
  auto access = [](const char* name, char version) {
    std::string header = std::string("\x00\x01\x00\x00", 4) + name;
    header.resize(0x14, '\0');
    header += version;
    header.resize(64, '\0');
    return header;
  };
  struct Case {
    const char* what;
    std::function<void(const fs::path& template_path)> make;
    std::string message_part;  // empty: the template is taken
    bool replaces_template = true;
    bool whole = false;  // message_part ends the message
  };
  const std::string sqlite_side = "has changes that are not in the file itself, in \"";
  TempDir scratch;
  const SqliteSideFiles side = MakeSqliteSideFiles(scratch.path());
  ASSERT_FALSE(side.persisted_journal.empty());
  ASSERT_EQ(side.persisted_journal[0], '\0') << "a zeroed header";
  ASSERT_GT(side.wal.size(), std::size_t{32 + 24 + 4096}) << "a frame at least";
  std::vector<Case> cases = {
      // Whole, with the way out.
      {"ACE", [&](const fs::path& t) { testing::WriteFile(t, access("Standard ACE DB", 2)); },
       "is an Access (ACE) database (Access 2007 and later), which the Jet 4.0 provider that "
       "reads the work database cannot open: save it as an Access 2000-2003 database",
       true, true},
      {"a folder", [](const fs::path& t) { fs::create_directory(t); }, "is not a regular file"},
      {"SQLite with a write-ahead log",
       [&](const fs::path& t) { testing::WriteFile(fs::path(t.string() + "-wal"), side.wal); },
       sqlite_side, false},
      {"SQLite with a journal",
       [&](const fs::path& t) {
         testing::WriteFile(fs::path(t.string() + "-journal"), side.hot_journal);
       },
       sqlite_side, false},
      {"SQLite with empty side files",
       [](const fs::path& t) {
         testing::WriteFile(fs::path(t.string() + "-wal"), "");
         testing::WriteFile(fs::path(t.string() + "-journal"), "");
       },
       "", false},
      // What SQLite itself plays nothing back from.
      {"SQLite with a journal kept in persist mode",
       [&](const fs::path& t) {
         testing::WriteFile(fs::path(t.string() + "-journal"), side.persisted_journal);
       },
       "", false},
      {"SQLite with a journal whose header is not SQLite's",
       [](const fs::path& t) { testing::WriteFile(fs::path(t.string() + "-journal"), "pages"); },
       "", false},
      {"SQLite with a write-ahead log of its header alone",
       [&](const fs::path& t) {
         testing::WriteFile(fs::path(t.string() + "-wal"), side.wal.substr(0, 32));
       },
       "", false},
      {"SQLite with a write-ahead log cut short in its first frame",
       [&](const fs::path& t) {
         testing::WriteFile(fs::path(t.string() + "-wal"), side.wal.substr(0, 32 + 24 + 100));
       },
       "", false},
      // Its checksum breaks the chain at the first frame: none after it counts.
      {"SQLite with a write-ahead log whose first frame does not add up",
       [&](const fs::path& t) {
         std::string wal = side.wal;
         wal[32 + 24 + 100] = static_cast<char>(wal[32 + 24 + 100] ^ 1);
         testing::WriteFile(fs::path(t.string() + "-wal"), wal);
       },
       "", false},
  };
  if (engine::kThisForm == engine::Form::kPosix) {
    cases.push_back(
        {"Jet 4", [&](const fs::path& t) { testing::WriteFile(t, access("Standard Jet DB", 1)); },
         "is an Access (Jet 4) database"});
    cases.push_back({"a link to a device",
                     [](const fs::path& t) { fs::create_symlink("/dev/zero", t); },
                     "is not a regular file"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BaseDir base;
    const fs::path template_path = base.path() / "DataBase" / "empty.mdb";
    {
      Db previous(base.WorkDatabase());
      previous.Exec("create table Previous (a text)");
      previous.Exec("insert into Previous values ('kept')");
    }
    fs::remove(template_path);
    Db(template_path).Exec("create table Kept (a text)");
    // Side files go beside the SQLite template; the other cases replace it.
    if (c.replaces_template) fs::remove(template_path);
    c.make(template_path);
    RecordingEvents events;
    Connection connection;
    try {
      RunBuild(MakeWorkPaths(base.Base()), SampleSources(), connection, events);
      EXPECT_TRUE(c.message_part.empty()) << "no error";
    } catch (const Exception& e) {
      EXPECT_FALSE(c.message_part.empty()) << e.Message();
      EXPECT_EQ(
          e.Message().rfind(
              "The template database \"" + base.Base() + Native("/DataBase/empty.mdb") + "\" ", 0),
          0u)
          << e.Message();
      EXPECT_NE(e.Message().find(c.message_part), std::string::npos) << e.Message();
      if (c.whole) {
        EXPECT_TRUE(e.Message().ends_with("\" " + c.message_part)) << e.Message();
      }
      ExpectNothingStaged(base, events);
      connection.Close();
      EXPECT_EQ(Db(base.WorkDatabase()).Count("Previous"), 1u);
    }
  }
}

// SQL run on the file `path` by SQLite itself (what the engine would not
// translate: a trigger).
void ExecSqlite(const fs::path& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.string().c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
      << (error != nullptr ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

// A trigger the template declares on aidInfo (the table the build fills
// where it stands) fires for every row the clean-up rewrites, however its
// ON clause spells the table: SQLite takes the name in any letter case.
TEST_F(BuildTest, ATemplatesTriggerFiresForEveryCleanedRowWhateverItsSpellingOfTheTable) {
  for (const char* spelling : {"aidInfo", "AIDINFO", "aidinfo", "\"AidInfo\"", "[AIDinfo]"}) {
    SCOPED_TRACE(spelling);
    BaseDir base;
    const fs::path template_path = base.path() / "DataBase" / "empty.mdb";
    fs::remove(template_path);
    ExecSqlite(template_path,
               "CREATE TABLE aidInfo (AidType varchar(250), AidCode varchar(250), AidName "
               "varchar(250), AidDec varchar(250), AidVouSourceFiledName varchar(250), "
               "AidBalSourceFiledName varchar(250));"
               "CREATE TABLE audit (code TEXT);"
               "CREATE TRIGGER audited AFTER UPDATE ON " +
                   std::string(spelling) + " BEGIN INSERT INTO audit VALUES (new.AidCode); END;");
    RecordingEvents events;
    Connection connection;
    RunBuild(MakeWorkPaths(base.Base()), SampleSources(), connection, events);
    connection.Close();
    Db db(base.WorkDatabase());
    Strings codes = db.Column("select AidCode from aidInfo");
    Strings audited = db.Column("select code from audit");
    ASSERT_FALSE(codes.empty());
    std::sort(codes.begin(), codes.end());
    std::sort(audited.begin(), audited.end());
    EXPECT_EQ(audited, codes);
  }
}

TEST_F(BuildTest, ATemplateHoldingADerivedTableEndsTheBuildBeforeTheImports) {
  const struct {
    const char* in_template;  // as the template spells it
    const char* derived;      // as the build names it
  } cases[] = {{"KMYE", "KMYE"}, {"pz", "PZ"}};
  for (const auto& c : cases) {
    BaseDir base;
    Db(base.path() / "DataBase" / "empty.mdb")
        .Exec(std::string("create table ") + c.in_template + " (a text)");
    RecordingEvents events;
    try {
      RunBuild(MakeWorkPaths(base.Base()), SampleSources(), connection_, events);
      ADD_FAILURE() << c.in_template << ": no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "The template database \"" + base.Base() +
                                 Native("/DataBase/empty.mdb") + "\" already holds table " +
                                 c.derived + ", which the build derives itself");
    }
    ExpectNothingStaged(base, events);
    EXPECT_TRUE(events.logs.empty()) << c.in_template << ": " << events.logs.front();
  }
}

// The template's table would stand in for the export's rows: the import
// would fail with "already exists" and only be logged.
TEST_F(BuildTest, ATemplateTableThatAnExportWouldBeImportedAsEndsTheBuildBeforeTheImports) {
  const struct {
    const char* in_template;
    const char* source;
  } cases[] = {{"BOOK", "BOOK.TXT"}, {"loan", "LOAN.TXT"}, {"Item", "ITEM.TXT"}};
  for (const auto& c : cases) {
    BaseDir base;
    Db template_db(base.path() / "DataBase" / "empty.mdb");
    template_db.Exec(std::string("create table ") + c.in_template + " (a text)");
    template_db.Exec(std::string("insert into ") + c.in_template + " values ('stale')");
    template_db.session().Close();
    RecordingEvents events;
    try {
      RunBuild(MakeWorkPaths(base.Base()), SampleSources(), connection_, events);
      ADD_FAILURE() << c.in_template << ": no error";
    } catch (const Exception& e) {
      const std::string table = std::string(c.source).substr(0, std::string(c.source).size() - 4);
      EXPECT_EQ(e.Message(), "The template database \"" + base.Base() +
                                 Native("/DataBase/empty.mdb") + "\" already holds table " + table +
                                 ", which source file \"" + (kSamples / c.source).string() +
                                 "\" would be imported as");
    }
    ExpectNothingStaged(base, events);
    EXPECT_TRUE(events.logs.empty()) << c.in_template << ": " << events.logs.front();
  }
}

// A template's own aidInfo is filled as it stands: its creation fails and is
// logged, the two inserts fill it, and the build completes.
TEST_F(BuildTest, ATemplatesOwnAidInfoIsFilledWhereItStands) {
  BaseDir fresh;
  Connection fresh_connection;
  RecordingEvents fresh_events;
  RunBuild(MakeWorkPaths(fresh.Base()), SampleSources(), fresh_connection, fresh_events);
  const char* const kAidInfo =
      "select AidType, AidCode, AidName, AidDec, AidVouSourceFiledName, AidBalSourceFiledName "
      "from aidInfo";

  {
    Db template_db(base_.path() / "DataBase" / "empty.mdb");
    template_db.Exec(
        "create table AIDINFO (AidType text, AidCode text, AidName text, AidDec text, "
        "AidVouSourceFiledName text, AidBalSourceFiledName text)");
  }
  Run(SampleSources());
  ASSERT_EQ(events_.logs.size(), 1u);
  EXPECT_EQ(events_.logs[0].rfind("SQL=Create Table aidInfo(", 0), 0u) << events_.logs[0];
  EXPECT_NE(events_.logs[0].find("Table 'aidInfo' already exists"), std::string::npos)
      << events_.logs[0];
  Db db(base_.WorkDatabase());
  Db fresh_db(fresh.WorkDatabase());
  EXPECT_EQ(db.Count("aidInfo"), 4u);
  EXPECT_EQ(Sorted(db, kAidInfo), Sorted(fresh_db, kAidInfo));
}

// Staged copies and schema.ini are made anew by every run, and the work
// database does not need them once imported: none is flushed to the disk
// by itself, so a disk that cannot flush them takes nothing from the run
// (the work database is flushed, once, before success).
TEST_F(BuildTest, StagedFilesAreNotFlushedOneByOne) {
  testing::FaultyDisk disk;
  for (const auto& name : kSampleFiles) disk.FailSyncs(fs::path(name).filename().string());
  disk.FailSyncs("schema.ini");
  EXPECT_NO_THROW(Run(SampleSources()));
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
}

TEST_F(BuildTest, AWorkDatabaseThatCannotBeSavedFailsTheBuild) {
  // The disk refuses to flush the work database at the build's end: the
  // build must not end as if it had been flushed.
  class FailingSave : public RecordingEvents {
   public:
    void PhaseStarted(BuildPhase phase, const std::string& detail) override {
      RecordingEvents::PhaseStarted(phase, detail);
      if (phase == BuildPhase::kSave) disk.FailSyncs("KORVA.mdb");
    }
    testing::FaultyDisk disk;
  } events;
  try {
    RunBuild(MakeWorkPaths(base_.Base()), SampleSources(), connection_, events);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot write \"" + base_.Base() + Native("/TemplateTemp/KORVA.mdb") +
                               "\" to disk. " + platform::SystemErrorText(testing::kDiskIoError));
  }
}

#ifdef DEALTEXT_HAVE_EXPORT_GENERATOR
using Record = std::map<std::string, std::optional<std::string>>;

// The records of a staged file as the text driver reads them, before any
// step of the build changed a value.
std::vector<Record> StagedRecords(const fs::path& file) {
  engine::standin::TextReader reader(file.string());
  std::vector<Record> records;
  std::vector<std::optional<std::string_view>> fields;
  while (reader.Next(fields)) {
    Record record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (fields[i])
        record[reader.Columns()[i]] = std::string(*fields[i]);
      else
        record[reader.Columns()[i]] = std::nullopt;
    }
    records.push_back(std::move(record));
  }
  return records;
}

// How many rows of `records` hold each non-NULL value of `column`.
std::map<std::string, std::size_t> KeyCounts(const std::vector<Record>& records,
                                             const std::string& column) {
  std::map<std::string, std::size_t> counts;
  for (const auto& record : records) {
    if (const auto& value = record.at(column)) ++counts[*value];
  }
  return counts;
}

// Rows a left join gives for `key`: one per match, one when none matches.
std::size_t Matches(const std::map<std::string, std::size_t>& counts,
                    const std::optional<std::string>& key) {
  if (!key) return 1;
  const auto found = counts.find(*key);
  return found == counts.end() ? 1 : found->second;
}

TEST_F(BuildTest, GeneratedExportIsConsistent) {
  TempDir export_dir;
  bench::ExportOptions options;
  options.lines = 400;
  options.seed = 7;
  bench::GenerateExport(options, export_dir.path().string());
  Strings sources;
  for (const auto& name : kSampleFiles) sources.push_back((export_dir.path() / name).string());
  Run(sources);
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  connection_.Close();

  const fs::path staged = base_.path() / "TemplateTemp";
  const auto lines = StagedRecords(staged / "BOOKDETAIL.TXT");
  const auto balances = StagedRecords(staged / "REMAIN.TXT");
  const auto vouchers = KeyCounts(StagedRecords(staged / "BOOK.TXT"), "BOOKNO");
  const auto accounts = KeyCounts(StagedRecords(staged / "ACCOUNTSECTIONS.TXT"), "SID");
  const auto sections = KeyCounts(StagedRecords(staged / "BUDGETSECTION.TXT"), "BID");
  const auto items = KeyCounts(StagedRecords(staged / "ITEM.TXT"), "IID");
  ASSERT_EQ(lines.size(), 400u);

  // PZ: every line whose CANCELED is "0", once per match of each join.
  std::size_t voucher_rows = 0;
  for (const auto& line : lines) {
    if (line.at("CANCELED") != "0") continue;
    voucher_rows += Matches(vouchers, line.at("BOOKNO")) * Matches(accounts, line.at("SID")) *
                    Matches(sections, line.at("BID")) * Matches(items, line.at("IID"));
  }
  std::size_t balance_rows = 0;
  for (const auto& row : balances) {
    balance_rows += Matches(accounts, row.at("SID")) * Matches(sections, row.at("BID")) *
                    Matches(items, row.at("IID"));
  }
  Db db(base_.WorkDatabase());
  EXPECT_GT(voucher_rows, 300u);
  EXPECT_EQ(db.Count("PZ"), voucher_rows);
  EXPECT_EQ(db.Count("KMYE"), balance_rows);
  EXPECT_EQ(db.Count("BOOKDETAIL"), lines.size());

  // No dot is left in any cleaned column. A NULL is left only in the
  // tables whose rows are found by their codes; the others find each row
  // by keys that every generated row has.
  const std::vector<std::pair<std::string, bool>> cleaned = {
      {"select aidCode from aidInfo", true},
      {"select SID from ACCOUNTSECTIONS", true},
      {"select SID from BOOK", false},
      {"select SID, BID, IID from BOOKDETAIL", false},
      {"select BID from BUDGETSECTION", true},
      {"select IID from ITEM", true},
      {"select funcode, progcode from KMYE", true},
      {"select SID, funcode, progcode from PZ", false},
      {"select SID, IID, BID from REMAIN", false},
      {"select NewCode from ACCOUNTSECTIONS", true}};
  for (const auto& [sql, nulls_kept] : cleaned) {
    for (const auto& row : db.Rows(sql)) {
      for (const auto& value : row) {
        if (!value) {
          EXPECT_TRUE(nulls_kept) << sql;
          continue;
        }
        EXPECT_EQ(value->find('.'), std::string::npos) << sql << ": " << *value;
      }
    }
  }
  // Every PZ row got its own number.
  const Strings numbers = db.Column("select flxh from PZ");
  EXPECT_EQ(std::set<std::string>(numbers.begin(), numbers.end()).size(), numbers.size());
  EXPECT_EQ(IntegrityCheck(base_.WorkDatabase()), "ok");
}
#endif

}  // namespace
}  // namespace dt

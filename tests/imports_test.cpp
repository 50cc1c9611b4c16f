// The imports: the import statement of a staged file, and the staging and
// import loop run as the build runs it, on a fresh copy of the template and
// followed by the reconnection to the work database.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "platform/errors.h"
#include "platform/paths.h"
#include "src/staging/catalogue.h"
#include "src/workdb/build.h"
#include "src/workdb/data_access.h"
#include "src/workdb/imports.h"
#include "src/workdb/schema_ini.h"
#include "src/workdb/statement_runner.h"
#include "tests/access_header.h"
#include "tests/build_test_util.h"
#include "tests/header_fields.h"
#include "tests/native_path.h"
#include "tests/schema_columns.h"

namespace dt {
namespace {

namespace fs = std::filesystem;
using testing::AccessHeader;
using testing::BaseDir;
using testing::Db;
using testing::FieldsOf;
using testing::Native;
using testing::RecordingEvents;
using testing::TempDir;
using testing::U8;
using testing::WriteFile;

const char kProvider[] = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";

TEST(ImportStatementTest, TableIsTheFileNameLessItsExtension) {
  struct Case {
    std::string file;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"BOOK.TXT", "select * into BOOK in \"/b//TemplateTemp/KORVA.mdb\" from BOOK.TXT"},
      {"Book.txt", "select * into Book in \"/b//TemplateTemp/KORVA.mdb\" from Book.txt"},
      {"my book.txt", "select * into my book in \"/b//TemplateTemp/KORVA.mdb\" from my book.txt"},
      {".txt", "select * into  in \"/b//TemplateTemp/KORVA.mdb\" from .txt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ImportStatement(c.file, "/b//TemplateTemp/KORVA.mdb"), c.expected);
  }
}

class ImportTest : public ::testing::Test {
 protected:
  // A source file with an exporter's own first line and `lines` after it.
  std::string Source(const std::string& name, const std::vector<std::string>& lines) {
    std::string text = "exporter header,to be dropped\r\n";
    for (const auto& line : lines) text += line + "\r\n";
    WriteFile(source_.path() / name, text);
    return (source_.path() / name).string();
  }

  void RunImport(const std::vector<std::string>& sources,
                 SourceEncoding encoding = SourceEncoding::kAuto) {
    const WorkPaths paths = MakeWorkPaths(base_.Base());
    CopyTemplate(paths);
    ImportSources(paths, sources, connection_, events_, encoding);
    ConnectWorkDatabase(paths, connection_);
  }

  BaseDir base_;
  TempDir source_;
  Connection connection_;
  RecordingEvents events_;
};

TEST_F(ImportTest, SevenFilesBecomeSevenTables) {
  const std::vector<std::string> sources = {
      Source("ACCOUNTSECTIONS.TXT", {"1,2024,101.01,,,,,,," + testing::Gbk(u8"现金")}),
      Source("BOOK.TXT", {"1,2024,B1,1,5", "1,2024,B2,2,6"}),
      Source("BOOKDETAIL.TXT", {"1,2024,B1,1,summary,101.01", "1,2024,B1,2", "1,2024,B2,1"}),
      Source("BUDGETSECTION.TXT", {"2024,2.01"}),
      Source("ITEM.TXT", {"1,2024,3.1"}),
      Source("LOAN.TXT", {"1,2024,E"}),
      Source("REMAIN.TXT", {"1,2024,R1,101.01"}),
  };
  RunImport(sources);

  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  EXPECT_EQ(events_.progress, 70);
  EXPECT_TRUE(connection_.Connected());
  EXPECT_EQ(connection_.ConnectionString(), MakeWorkPaths(base_.Base()).work_connection);

  Db db(base_.WorkDatabase());
  const std::vector<std::pair<std::string, std::size_t>> tables = {
      {"ACCOUNTSECTIONS", 1}, {"BOOK", 2}, {"BOOKDETAIL", 3},
      {"BUDGETSECTION", 1},   {"ITEM", 1}, {"LOAN", 1},
      {"REMAIN", 1}};
  for (const auto& [table, rows] : tables) EXPECT_EQ(db.Count(table), rows) << table;
  EXPECT_EQ(db.Column("select NAME from ACCOUNTSECTIONS"), std::vector<std::string>{U8(u8"现金")});
  EXPECT_EQ(db.Column("select BOOKNO from BOOKDETAIL"),
            (std::vector<std::string>{"B1", "B1", "B2"}));
  EXPECT_EQ(db.Column("select SID from BOOKDETAIL"),
            (std::vector<std::string>{"101.01", "<null>", "<null>"}));

  // Each file was staged, then imported, in source order.
  ASSERT_EQ(events_.phases.size(), 14u);
  EXPECT_EQ(events_.phases[0],
            std::make_pair(BuildPhase::kStaging, std::string("ACCOUNTSECTIONS.TXT")));
  EXPECT_EQ(events_.phases[1],
            std::make_pair(BuildPhase::kImport, std::string("ACCOUNTSECTIONS.TXT")));
  EXPECT_EQ(events_.phases[13], std::make_pair(BuildPhase::kImport, std::string("REMAIN.TXT")));
  // The staged copies stay in the staging folder.
  EXPECT_TRUE(fs::exists(base_.path() / "TemplateTemp" / "BOOK.TXT"));
}

// A short name is too little to tell UTF-8 by: the driver takes it for code
// page 936 unless the run says the files are UTF-8; code page 936 that
// passes for UTF-8 stays code page 936 either way but under a UTF-8 run.
TEST_F(ImportTest, TheChosenEncodingReadsEveryStagedFile) {
  struct Case {
    SourceEncoding encoding;
    std::string loan_name;    // written in UTF-8
    std::string budget_name;  // written in code page 936, well-formed UTF-8 too
  };
  const std::string cash = U8(u8"现金");
  const std::string road = testing::Gbk(u8"路平");
  const std::vector<Case> cases = {
      {SourceEncoding::kAuto, platform::AnsiToUtf8(cash), U8(u8"路平")},
      {SourceEncoding::kCodePage936, platform::AnsiToUtf8(cash), U8(u8"路平")},
      {SourceEncoding::kUtf8, cash, road},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.encoding));
    connection_.Close();  // the template is copied over the work database
    RunImport({Source("LOAN.TXT", {"1,2024,E1,,,,,,," + cash}),
               Source("BUDGETSECTION.TXT", {"2024,B.1,,,,,,," + road})},
              c.encoding);
    EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
    Db db(base_.WorkDatabase());
    EXPECT_EQ(db.Column("select NAME from LOAN"), std::vector<std::string>{c.loan_name});
    EXPECT_EQ(db.Column("select NAME from BUDGETSECTION"), std::vector<std::string>{c.budget_name});
  }
}

// The driver learns each file's encoding from schema.ini, never from the
// connection string, which stays the host's own. While a file is imported,
// schema.ini describes it alone; after the last, every staged file.
TEST_F(ImportTest, SchemaIniDescribesTheFileBeingImportedThenEveryStagedFile) {
  class Watching : public RecordingEvents {
   public:
    explicit Watching(fs::path schema) : schema_(std::move(schema)) {}
    void PhaseStarted(BuildPhase phase, const std::string& detail) override {
      RecordingEvents::PhaseStarted(phase, detail);
      if (phase == BuildPhase::kImport) seen.push_back(testing::ReadFile(schema_));
    }
    std::vector<std::string> seen;

   private:
    fs::path schema_;
  };
  const std::string cash = U8(u8"现金账户");
  const std::vector<std::string> sources = {Source("LOAN.TXT", {"1,2024,E1,,,,,,," + cash}),
                                            Source("notes.txt", {"A,B", "1,2"})};
  const WorkPaths paths = MakeWorkPaths(base_.Base());
  const fs::path schema = base_.path() / "TemplateTemp" / "schema.ini";
  for (const SourceEncoding encoding : {SourceEncoding::kAuto, SourceEncoding::kCodePage936}) {
    SCOPED_TRACE(static_cast<int>(encoding));
    const StagedFile loan{"LOAN.TXT", FieldsOf(*HeaderLineFor("LOAN.TXT")),
                          encoding == SourceEncoding::kAuto ? platform::TextEncoding::kUtf8
                                                            : platform::TextEncoding::kCodePage936};
    // The exporter's first line is the unknown file's header; ASCII alone
    // is code page 936.
    const StagedFile notes{"notes.txt",
                           std::vector<std::string>{"exporter header", "to be dropped"},
                           platform::TextEncoding::kCodePage936};
    Watching events(schema);
    connection_.ReleaseEngine();  // as the build does before the template copy
    CopyTemplate(paths);
    ImportSources(paths, sources, connection_, events, encoding);
    EXPECT_TRUE(events.logs.empty()) << events.logs.front();
    EXPECT_EQ(events.seen, (std::vector<std::string>{SchemaSection(loan), SchemaSection(notes)}));
    EXPECT_EQ(testing::ReadFile(schema), SchemaSection(loan) + SchemaSection(notes));
    EXPECT_FALSE(connection_.Connected());
    EXPECT_EQ(connection_.ConnectionString(), kProvider + base_.Base() + Native("TemplateTemp/") +
                                                  ";Extended Properties=text;Persist Security "
                                                  "Info=False");
  }
}

// The column lines of `file`'s section of schema.ini: name (as UTF-8) and
// type, in order.
std::vector<std::pair<std::string, std::string>> SchemaColumns(const std::string& schema,
                                                               const std::string& file) {
  const std::size_t at = schema.find("[" + file + "]\r\n");
  const std::size_t end = std::min(schema.find("\r\n[", at), schema.size());
  auto columns = testing::SectionColumns(std::string_view(schema).substr(at, end - at + 2));
  for (auto& column : columns) column.first = platform::AnsiToUtf8(column.first);
  return columns;
}

// Text holds 255 characters on the host's provider, which cuts a longer
// value: such a column is declared LongChar, counted in characters of the
// file's encoding. The stand-in keeps every value whole either way.
TEST_F(ImportTest, AColumnWithAValueOver255CharactersIsLongCharAndArrivesWhole) {
  const std::string summary(300, 's');
  const std::string sname = testing::Gbk(u8"科目") + std::string(253, 'n');  // 255 characters
  const std::string remark = std::string(255, 'r') + testing::Gbk(u8"注");   // 256 characters
  std::string bookdetail = "1,2024,B1,1," + summary + ",101,\"" + sname + "\"";
  for (int field = 7; field < 20; ++field) bookdetail += ",";  // on to REMARK, the 20th
  bookdetail += "\"" + remark + "\"";
  RunImport({Source("BOOKDETAIL.TXT", {"1,2024,B1,2,short,101", bookdetail}),
             Source("LOAN.TXT", {"1,2024,E1,,,,,,," + std::string(255, 'l')})});
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();

  Db db(base_.WorkDatabase());
  EXPECT_EQ(db.Column("select SUMMARY from BOOKDETAIL"),
            (std::vector<std::string>{"short", summary}));
  EXPECT_EQ(db.Column("select REMARK from BOOKDETAIL where LINE = '1'"),
            std::vector<std::string>{platform::AnsiToUtf8(remark)});

  const std::string schema = testing::ReadFile(base_.path() / "TemplateTemp" / "schema.ini");
  const auto bookdetail_columns = SchemaColumns(schema, "BOOKDETAIL.TXT");
  ASSERT_EQ(bookdetail_columns.size(), 28u);
  for (const auto& [name, type] : bookdetail_columns) {
    EXPECT_EQ(type, name == "SUMMARY" || name == "REMARK" ? "LongChar" : "Text") << name;
  }
  for (const auto& [name, type] : SchemaColumns(schema, "LOAN.TXT"))
    EXPECT_EQ(type, "Text") << name;
}

// One naming rule for both engines: schema.ini names a file's columns as the
// stand-in's text driver names them, so that the host's provider never meets
// an empty or a repeated name.
TEST_F(ImportTest, SchemaIniNamesTheColumnsAsTheStandInDoes) {
  const std::string header = " A ,a,,Name," + testing::Gbk(u8"名称") + ",NAME,F3,\t";
  WriteFile(source_.path() / "odd.txt", header + "\r\n1,2,3,4,5,6,7,8\r\n");
  RunImport({(source_.path() / "odd.txt").string()});
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();

  const auto snapshot = Db(base_.WorkDatabase()).session().Query("select * from odd");
  const auto columns =
      SchemaColumns(testing::ReadFile(base_.path() / "TemplateTemp" / "schema.ini"), "odd.txt");
  std::vector<std::string> names;
  for (const auto& column : columns) names.push_back(column.first);
  EXPECT_EQ(names, snapshot.columns);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 8u);
}

TEST_F(ImportTest, NothingStagedWritesNoSchemaIni) {
  RunImport({});
  EXPECT_FALSE(fs::exists(base_.path() / "TemplateTemp" / "schema.ini"));
}

TEST_F(ImportTest, FileNameWithASpaceIsLoggedAndTheNextFileIsImported) {
  const std::vector<std::string> sources = {
      Source("my book.txt", {"x"}),
      Source("Item.txt", {"1,2024,3.1"}),
  };
  RunImport(sources);

  // The logged text is exactly what the statement gives on the text source.
  const WorkPaths paths = MakeWorkPaths(base_.Base());
  const std::string statement = ImportStatement("my book.txt", paths.work_database);
  Connection text;
  text.SetConnectionString(paths.text_connection);
  RecordingEvents direct;
  RunStatement(statement, text, direct);
  ASSERT_EQ(direct.logs.size(), 1u);
  EXPECT_EQ(events_.logs, direct.logs);
  EXPECT_EQ(direct.logs[0].rfind("SQL=" + statement + "\xB2\xBB\xC4\xDC\xD6\xB4\xD0\xD0", 0), 0u);

  Db db(base_.WorkDatabase());
  EXPECT_EQ(db.Column("select IID from Item"), std::vector<std::string>{"3.1"});
  EXPECT_EQ(events_.progress, 20);
}

TEST_F(ImportTest, EachRunStartsFromTheTemplate) {
  Db(base_.path() / "DataBase" / "empty.mdb").Exec("create table Kept (A varchar(5))");
  RunImport({Source("BOOK.TXT", {"1,2024,B1"})});
  connection_.Close();
  fs::remove(source_.path() / "BOOK.TXT");
  RunImport({Source("ITEM.TXT", {"1,2024,3.1"})});

  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  Db db(base_.WorkDatabase());
  EXPECT_EQ(db.Count("ITEM"), 1u);
  EXPECT_EQ(db.Count("Kept"), 0u);
  EXPECT_THROW(db.Rows("select * from BOOK"), engine::Error);
  // The template itself is never written.
  Db template_db(base_.path() / "DataBase" / "empty.mdb");
  EXPECT_THROW(template_db.Rows("select * from ITEM"), engine::Error);
}

TEST_F(ImportTest, EmptySourceListStillGivesAFreshWorkDatabase) {
  Db(base_.WorkDatabase()).Exec("create table Stale (A varchar(5))");
  RunImport({});
  EXPECT_TRUE(connection_.Connected());
  EXPECT_EQ(events_.progress, 0);
  EXPECT_THROW(Db(base_.WorkDatabase()).Rows("select * from Stale"), engine::Error);
}

// Leaves the work database as a run that died in the middle of a statement
// leaves it: its rollback journal still beside it, holding the pages the
// statement had begun to change.
void LeaveInterruptedWorkDatabase(const fs::path& file) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
  auto exec = [&](const char* sql) {
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  };
  exec("PRAGMA synchronous = OFF");  // as the engine runs a work database
  exec("CREATE TABLE Stale (A TEXT)");
  for (int i = 0; i < 50; ++i) exec("INSERT INTO Stale VALUES (hex(randomblob(200)))");
  exec("BEGIN");
  exec("DELETE FROM Stale");
  const fs::path journal = file.string() + "-journal";
  const fs::path kept = file.string() + "-kept";
  fs::copy_file(journal, kept);
  exec("ROLLBACK");
  sqlite3_close(db);
  fs::rename(kept, journal);
}

TEST_F(ImportTest, RunAfterAnInterruptedRunStartsFromTheTemplate) {
  Db(base_.path() / "DataBase" / "empty.mdb").Exec("create table Kept (A varchar(5))");
  LeaveInterruptedWorkDatabase(base_.WorkDatabase());
  RunImport({Source("ITEM.TXT", {"1,2024,3.1"})});
  EXPECT_TRUE(events_.logs.empty()) << events_.logs.front();
  connection_.Close();
  Db db(base_.WorkDatabase());
  EXPECT_EQ(db.Count("ITEM"), 1u);
  EXPECT_EQ(db.Count("Kept"), 0u);
  EXPECT_THROW(db.Rows("select * from Stale"), engine::Error);
}

TEST_F(ImportTest, FailedTemplateCopyEndsTheBuildNamingBothPaths) {
  Db(base_.WorkDatabase()).Exec("create table Stale (A varchar(5))");
  fs::remove(base_.path() / "DataBase" / "empty.mdb");
  const WorkPaths paths = MakeWorkPaths(base_.Base());
  try {
    CopyTemplate(paths);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message().rfind("Cannot copy file \"" + paths.template_database + "\" to \"" +
                                    paths.work_database + "\". ",
                                0),
              0u)
        << e.Message();
    EXPECT_GT(e.Message().size(), paths.template_database.size() + paths.work_database.size() + 25);
  }
}

TEST_F(ImportTest, MissingWorkDatabaseFailsToOpen) {
  const WorkPaths paths = MakeWorkPaths(base_.Base());
  ASSERT_FALSE(fs::exists(base_.WorkDatabase()));
  EXPECT_THROW(ConnectWorkDatabase(paths, connection_), EOleException);
  EXPECT_FALSE(connection_.Connected());
}

TEST_F(ImportTest, StagingFailureEndsTheLoopAfterEarlierImports) {
  const std::vector<std::string> sources = {
      Source("BOOK.TXT", {"1,2024,B1"}),
      (source_.path() / "MISSING.TXT").string(),
      Source("ITEM.TXT", {"1,2024,3.1"}),
  };
  const WorkPaths paths = MakeWorkPaths(base_.Base());
  CopyTemplate(paths);
  EXPECT_THROW(ImportSources(paths, sources, connection_, events_), Exception);
  EXPECT_EQ(events_.progress, 20);
  connection_.Close();
  Db db(base_.WorkDatabase());
  EXPECT_EQ(db.Count("BOOK"), 1u);
  EXPECT_THROW(db.Rows("select * from ITEM"), engine::Error);
}

// Where the host reads the work database with Jet, only an Access template
// is taken: any other ends the run before anything is copied or staged.
TEST_F(ImportTest, OnlyAnAccessTemplateServesWhereTheHostReadsWithJet) {
  const fs::path template_path = base_.path() / "DataBase" / "empty.mdb";
  const WorkPaths paths = MakeWorkPaths(base_.Base());
  const struct {
    std::string bytes;
    std::string format;
  } kTemplates[] = {
      {"", "empty"},
      {std::string("SQLite format 3\0", 16) + std::string(84, '\0'), "SQLite"},
      {"not a database at all", "unknown"},
  };
  for (const auto& t : kTemplates) {
    SCOPED_TRACE(t.format);
    WriteFile(template_path, t.bytes);
    try {
      RunBuild(paths, {Source("BOOK.TXT", {"1,2024,B1"})}, connection_, events_,
               SourceEncoding::kAuto, TemplateRule::kJetOnly);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "The template database \"" + paths.template_database + "\" is an " +
                                 t.format +
                                 " database, not an Access (Jet 3 or Jet 4) file: the host reads "
                                 "the work database with the Jet 4.0 provider, so the "
                                 "installation's template must be an Access database");
    }
    EXPECT_FALSE(fs::exists(base_.WorkDatabase()));
    EXPECT_FALSE(fs::exists(base_.path() / "TemplateTemp" / "BOOK.TXT"));
  }
}

#ifndef _WIN32
// The POSIX form reads no Access file: a run on an Access template ends
// before any data source is opened, saying what the template is and what
// this form reads.
TEST_F(ImportTest, AccessTemplateEndsThePosixRunNamingItsFormat) {
  const fs::path template_path = base_.path() / "DataBase" / "empty.mdb";
  WriteFile(template_path, AccessHeader("Standard Jet DB", 1) + std::string(4096, '\0'));
  const WorkPaths paths = MakeWorkPaths(base_.Base());
  try {
    RunBuild(paths, {Source("BOOK.TXT", {"1,2024,B1"})}, connection_, events_);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "The template database \"" + paths.template_database +
                               "\" is an Access (Jet 4) database: this form reads SQLite "
                               "templates (an empty file serves as an empty database)");
  }
  EXPECT_FALSE(connection_.Connected());
  EXPECT_FALSE(fs::exists(base_.path() / "TemplateTemp" / "BOOK.TXT"));
}
#endif

}  // namespace
}  // namespace dt

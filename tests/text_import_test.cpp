// The text driver's import: SELECT * INTO T IN "db" FROM file on a text
// session, as the build sends it for each staged file.
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "engine/standin/store/database_file.h"
#include "engine/standin/store/sqlite_db.h"
#include "engine/standin/text/text_import.h"
#include "platform/codepage.h"
#include "tests/faulty_disk.h"
#include "tests/sqlite_integrity.h"
#include "tests/sqlite_memory_limit.h"
#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

using testing::DatabaseConnection;
using testing::ErrorOf;
using testing::ScratchDir;
using testing::SortedRows;
using testing::TextConnection;

class TextImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_ = dir_.Write("KORVA.mdb", "");
    text_.Open(TextConnection(dir_.Folder()));
  }

  std::string ImportStatement(const std::string& table, const std::string& file) {
    return "select * into " + table + " in \"" + dir_.Folder() + "/KORVA.mdb\" from " + file;
  }

  Snapshot Read(const std::string& sql) {
    StandInEngine work;
    work.Open(DatabaseConnection(database_));
    return work.Query(sql);
  }

  // The NAME of the first row of `file` imported into a table of its own on
  // a text connection with Extended Properties=`properties`.
  std::string ImportedName(const std::string& properties, const std::string& file) {
    StandInEngine text;
    text.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir_.Folder() +
              ";Extended Properties=" + properties + ";Persist Security Info=False");
    const std::string table = "T" + std::to_string(++tables_);
    text.Execute(ImportStatement(table, file));
    return Read("select NAME from " + table).rows.at(0).at(0).value_or("<null>");
  }

  ScratchDir dir_;
  std::string database_;
  StandInEngine text_;
  int tables_ = 0;
};

TEST_F(TextImportTest, ImportsEveryRecordAsTextWithEmptyFieldsNull) {
  dir_.Write("Book.txt",
             "BOOKNO,SID,SUMMARY,YEAR\r\n"
             "P1,1.01,\"pay, \"\"cash\"\"\",2020\r\n"
             "P2,,plain,0012\r\n"
             "\r\n"
             "P3,2.1\r\n"
             "P4,\xE7\x8E\xB0\xE9\x87\x91\xE8\xB4\xA6\xE6\x88\xB7,x,2021,extra\r\n");
  EXPECT_EQ(text_.Execute(ImportStatement("Book", "Book.txt")), 4);
  const Snapshot book = Read("select * from book");
  EXPECT_EQ(book.columns, (std::vector<std::string>{"BOOKNO", "SID", "SUMMARY", "YEAR"}));
  EXPECT_EQ(SortedRows(book), (std::vector<std::string>{
                                  "P1|1.01|pay, \"cash\"|2020",
                                  "P2|<null>|plain|0012",
                                  "P3|2.1|<null>|<null>",
                                  "P4|\xE7\x8E\xB0\xE9\x87\x91\xE8\xB4\xA6\xE6\x88\xB7|x|2021",
                              }));
  // Leading zeros survive: the column is text, not a number.
  EXPECT_EQ(Read("select YEAR from Book where BOOKNO = 'P2'").rows[0][0], "0012");
}

// Every record is stored with its own fields, however the fields before it
// were: a value repeated, turned NULL and back, changed to a prefix of
// itself, and values longer than those kept from one record to the next.
TEST_F(TextImportTest, EachRecordKeepsItsOwnFieldsWhateverTheRecordBefore) {
  const std::string big(5000, 'b');
  const std::string bigger = big + "c";
  const std::vector<std::string> records = {
      "1,a,x",
      "2,a,",
      "3,a,x",
      "4,,x",
      "5,ab,x",
      "6,a,x",
      "7," + big + ",x",
      "8," + big + ",",
      "9," + bigger + ",x",
      "10,a,x",
      "11,a,\"\"",
  };
  std::string file = "N,A,B\r\n";
  for (const std::string& record : records) file += record + "\r\n";
  dir_.Write("Rows.txt", file);
  EXPECT_EQ(text_.Execute(ImportStatement("Rows", "Rows.txt")), 11);
  const Snapshot rows = Read("select N, A, B from Rows order by rowid");
  std::vector<std::string> got;
  for (const auto& row : rows.rows) {
    std::string line;
    for (const Value& value : row) line += (line.empty() ? "" : ",") + value.value_or("<null>");
    got.push_back(line);
  }
  EXPECT_EQ(got, (std::vector<std::string>{"1,a,x", "2,a,<null>", "3,a,x", "4,<null>,x", "5,ab,x",
                                           "6,a,x", "7," + big + ",x", "8," + big + ",<null>",
                                           "9," + bigger + ",x", "10,a,x", "11,a,<null>"}));
}

TEST_F(TextImportTest, CodePage936FilesArriveAsUtf8) {
  // "\xE7\x8E\xB0\xE9\x87\x91" (cash) in code page 936, in a name and a value.
  dir_.Write("ITEM.TXT", "IID,NAME\r\n1,\xCF\xD6\xBD\xF0\r\n");
  text_.Execute(ImportStatement("ITEM", "ITEM.TXT"));
  EXPECT_EQ(Read("select NAME from ITEM").rows.at(0).at(0), "\xE7\x8E\xB0\xE9\x87\x91");
  EXPECT_EQ(Read("select IID from ITEM where NAME = '\xE7\x8E\xB0\xE9\x87\x91'").rows.size(), 1u);
}

// The connection's CharacterSet decides for every file: UTF-8 too short to
// tell by itself (two characters) is UTF-8 by the connection's word, and
// code page 936 is read as such even when its bytes pass for UTF-8.
TEST_F(TextImportTest, CharacterSetOfTheConnectionIsTheFilesEncoding) {
  const std::string cash_utf8 = "\xE7\x8E\xB0\xE9\x87\x91";  // 现金
  const std::string road_ansi = "\xC2\xB7\xC6\xBD";          // 路平: well-formed UTF-8 too
  const std::string road_utf8 = "\xE8\xB7\xAF\xE5\xB9\xB3";
  dir_.Write("CASH.TXT", "IID,NAME\r\n1," + cash_utf8 + "\r\n");
  dir_.Write("ROAD.TXT", "IID,NAME\r\n1," + road_ansi + "\r\n");
  struct Case {
    std::string properties;
    std::string file;
    std::string name;
  };
  const std::vector<Case> cases = {
      {"text", "CASH.TXT", "\xE9\x90\x9C\xE4\xBC\xB4\xE5\x99\xBE"},  // read as 936
      {"\"text;CharacterSet=65001\"", "CASH.TXT", cash_utf8},
      {"'TEXT; HDR=Yes; characterset = 65001'", "CASH.TXT", cash_utf8},
      {"text", "ROAD.TXT", road_utf8},
      {"\"text;CharacterSet=936\"", "ROAD.TXT", road_utf8},
      {"\"text;CharacterSet=ANSI\"", "ROAD.TXT", road_utf8},
      {"\"text;CharacterSet=65001\"", "ROAD.TXT", "\xC2\xB7\xC6\xBD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.properties + " " + c.file);
    EXPECT_EQ(ImportedName(c.properties, c.file), c.name);
  }
}

TEST_F(TextImportTest, CharacterSetTheDriverCannotReadIsRefused) {
  for (const std::string value : {"437", "Unicode", "1200", ""}) {
    StandInEngine text;
    const std::string error = ErrorOf([&] {
      text.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir_.Folder() +
                ";Extended Properties=\"text;CharacterSet=" + value + "\"");
    });
    EXPECT_NE(error.find("CharacterSet '" + value + "' is not supported"), std::string::npos)
        << value << " -> " << error;
    EXPECT_FALSE(text.IsOpen());
  }
}

// schema.ini, as the provider reads it, names each file's character set:
// its section (found ignoring letter case) decides over the file's own
// bytes and over the connection; a file it does not describe is read as
// the connection says. The file is in the ANSI code page, so a section may
// be named in Chinese.
TEST_F(TextImportTest, CharacterSetOfTheFilesSectionInSchemaIniDecides) {
  const std::string cash_utf8 = "\xE7\x8E\xB0\xE9\x87\x91";  // 现金, too short to tell
  const std::string road_ansi = "\xC2\xB7\xC6\xBD";          // 路平: well-formed UTF-8 too
  const std::string road_utf8 = "\xE8\xB7\xAF\xE5\xB9\xB3";
  const std::string cash_read_as_936 = "\xE9\x90\x9C\xE4\xBC\xB4\xE5\x99\xBE";
  const std::string account_ansi = "\xD5\xCB";  // 账
  dir_.Write("CASH.TXT", "IID,NAME\r\n1," + cash_utf8 + "\r\n");
  dir_.Write("ROAD.TXT", "IID,NAME\r\n1," + road_ansi + "\r\n");
  // Named in UTF-8, as the engine takes names, whatever the system's code page.
  std::ofstream(platform::PathOf(dir_.Folder() + "\xE8\xB4\xA6.txt"), std::ios::binary)
      << "IID,NAME\r\n1," + cash_utf8 + "\r\n";
  const std::string schema =
      "; written by staging\r\n"
      "[cash.txt]\r\nColNameHeader=True\r\nCharacterSet=65001\r\nCol1=\"IID\" Text\r\n"
      "Col2=\"NAME\" LongChar\r\n"
      "[ROAD.TXT]\r\n  characterset = 936  \r\n"
      "[" +
      account_ansi +
      ".txt]\nCharacterSet=65001\n"
      "[OTHER.TXT]\r\nCharacterSet=65001\r\n";
  struct Case {
    std::string schema;
    std::string properties;
    std::string file;
    std::string name;
  };
  const std::vector<Case> cases = {
      {schema, "text", "CASH.TXT", cash_utf8},
      {schema, "\"text;CharacterSet=936\"", "CASH.TXT", cash_utf8},
      {schema, "\"text;CharacterSet=65001\"", "ROAD.TXT", road_utf8},
      {schema, "text", "\xE8\xB4\xA6.txt", cash_utf8},
      // Sections of other files, and a file without one, say nothing.
      {"[ROAD.TXT]\r\nCharacterSet=936\r\n", "text", "CASH.TXT", cash_read_as_936},
      {"[CASH.TXT]\r\nFormat=CSVDelimited\r\n", "\"text;CharacterSet=65001\"", "CASH.TXT",
       cash_utf8},
      {"", "text", "CASH.TXT", cash_read_as_936},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.properties + " " + c.file + "\n" + c.schema);
    dir_.Write("Schema.ini", c.schema);
    EXPECT_EQ(ImportedName(c.properties, c.file), c.name);
  }

  dir_.Write("Schema.ini", "[CASH.TXT]\r\nCharacterSet=1252\r\n");
  EXPECT_NE(ErrorOf([&] {
              text_.Execute(ImportStatement("T0", "CASH.TXT"));
            }).find("CharacterSet '1252' is not supported"),
            std::string::npos);
}

TEST_F(TextImportTest, FindsTheFileIgnoringCaseAndNamesTheTableAsWritten) {
  dir_.Write("BOOK.TXT", "A\n1\n");
  text_.Execute(ImportStatement("Book", "book.txt"));
  EXPECT_EQ(Read("select * from BOOK").rows.size(), 1u);
  // The table exists now: a second import fails and changes nothing.
  EXPECT_EQ(ErrorOf([&] { text_.Execute(ImportStatement("BOOK", "BOOK.TXT")); }),
            "Table 'BOOK' already exists");
  EXPECT_EQ(Read("select * from Book").rows.size(), 1u);
}

TEST_F(TextImportTest, FailuresNameWhatIsWrong) {
  dir_.Write("Item.txt", "IID\nI1\n");
  dir_.Write("My Book.txt", "A\n1\n");
  dir_.Write("Zero.txt", std::string("\r\nA,B\0C\r\n1,2\r\n", 14));
  // Only files of the folder itself are read.
  std::filesystem::create_directory(dir_.File("sub"));
  dir_.Write("sub/Inner.txt", "A\n1\n");
  struct Case {
    std::string sql;
    std::string error;
  };
  const std::vector<Case> cases = {
      {ImportStatement("Loan", "Loan.txt"), "Could not find file"},
      {"select * into Item in \"" + dir_.File("missing.mdb") + "\" from Item.txt",
       "Could not find file '" + dir_.File("missing.mdb") + "'"},
      {ImportStatement("My Book", "My Book.txt"), "Syntax error near 'Book'"},
      {"select IID into Item in \"" + database_ + "\" from Item.txt", "runs only SELECT * INTO"},
      {"select * from Item.txt", "runs only SELECT * INTO"},
      {ImportStatement("Nested", "[sub/Inner.txt]"), "Could not find file 'sub/Inner.txt'"},
      {ImportStatement(
           "Up", "[../" + std::filesystem::path(dir_.File("")).parent_path().filename().string() +
                     "/Item.txt]"),
       "Could not find file '../"},
      {ImportStatement("Cut", std::string("[Item.txt\0x]", 12)),
       "Could not find file 'Item.txt' in"},
      {"update Item set IID = '1'", "runs only SELECT * INTO"},
  };
  for (const Case& c : cases) {
    const std::string error = ErrorOf([&] { text_.Execute(c.sql); });
    EXPECT_NE(error.find(c.error), std::string::npos) << c.sql << " -> " << error;
  }
  // What the host's text driver cannot read fails the import as it does
  // there, naming the file, the line and its first byte: a header of more
  // than 255 fields, a record of more than 65,000 bytes.
  std::string wide_header;
  for (int i = 0; i < 256; ++i) wide_header += "C" + std::to_string(i) + ",";
  wide_header.pop_back();
  const std::string row = "1," + std::string(64990, 'x') + "\r\n";  // 64,994 bytes
  dir_.Write("Wide.txt", "\r\n" + wide_header + "\r\n1\r\n");
  dir_.Write("Long.txt", "A,B\r\n" + row + "1," + std::string(64997, 'x') + "\r\n" + row);
  dir_.Write("Fits.txt", "A,B\r\n" + row + "1," + std::string(64996, 'x') + "\r\n");
  const struct {
    std::string file;
    std::int64_t line;
    std::int64_t byte;
    TextStep step;
    std::string message;
  } kRefused[] = {
      {"Wide", 2, 2, TextStep::kImportHeader,
       "Cannot import the header line 2 of '" + dir_.File("Wide.txt") +
           "': Too many fields defined."},
      {"Long", 3, 5 + 64994, TextStep::kImportLine,
       "Cannot import line 3 of '" + dir_.File("Long.txt") + "': Record is too large."},
  };
  for (const auto& c : kRefused) {
    try {
      text_.Execute(ImportStatement(c.file, c.file + ".txt"));
      ADD_FAILURE() << c.file << " was imported";
    } catch (const Error& error) {
      EXPECT_EQ(error.kind(), ErrorKind::kTooComplex);
      ASSERT_TRUE(error.where());
      EXPECT_EQ(error.where()->line, c.line);
      EXPECT_EQ(error.where()->byte, c.byte);
      EXPECT_EQ(error.where()->step, c.step);
      EXPECT_EQ(Message(error), c.message);
    }
    EXPECT_NE(ErrorOf([&] { Read("select * from " + c.file); }).find("does not exist"),
              std::string::npos);
  }
  EXPECT_EQ(text_.Execute(ImportStatement("Fits", "Fits.txt")), 2);
  // A zero byte in a name is a character the host's engine refuses there.
  EXPECT_EQ(text_.Execute(ImportStatement("Zero", "Zero.txt")), 1);
  EXPECT_EQ(Read("select B_C from Zero").rows.at(0).at(0), "2");
  EXPECT_NE(ErrorOf([&] { text_.Query("select * from Item.txt"); }), "");
  EXPECT_NE(ErrorOf([&] {
              text_.RewriteColumns("Item", {}, {"IID"}, {},
                                   [](std::string_view v) { return std::string(v); });
            }),
            "");
  EXPECT_NE(ErrorOf([&] { Read("select * from Item"); }).find("does not exist"), std::string::npos);
}

TEST_F(TextImportTest, FileWithoutAnyLineHasNoHeader) {
  dir_.Write("Empty.txt", "\r\n\n\r\n");
  try {
    text_.Execute(ImportStatement("Empty", "Empty.txt"));
    ADD_FAILURE() << "a file without lines was imported";
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), ErrorKind::kTextFormat);
    ASSERT_TRUE(error.where());
    EXPECT_EQ(error.where()->file, dir_.File("Empty.txt"));
    EXPECT_EQ(error.where()->step, TextStep::kFindHeader);
    EXPECT_EQ(Message(error), "Text file '" + dir_.File("Empty.txt") + "' has no header line");
  }
  EXPECT_NE(ErrorOf([&] { Read("select * from Empty"); }).find("does not exist"),
            std::string::npos);
}

// A disk that fills up in the middle of a file is an I/O failure, not a bad
// record: it keeps kIo and says which record it was storing.
TEST_F(TextImportTest, FullDiskIsAnIoFailureAtTheRecordBeingStored) {
  const std::string header = "CODE,NAME\r\n";
  const std::string record = "0000,a name long enough to fill pages quickly...............\r\n";
  std::string content = header;
  for (int i = 0; i < 2000; ++i) content += record;
  const std::string path = dir_.Write("Big.txt", content);
  Database target = Database::OpenExisting(database_);
  target.Exec("PRAGMA max_page_count = 8");
  try {
    ImportTextFile(target, "Big", path);
    FAIL() << "the import did not meet the page limit";
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), ErrorKind::kIo) << Message(error);
    ASSERT_TRUE(error.where());
    EXPECT_EQ(error.where()->file, path);
    EXPECT_EQ(error.where()->step, TextStep::kImportLine);
    const std::int64_t line = error.where()->line;
    EXPECT_GE(line, 2);
    EXPECT_LE(line, 2001);
    // Every record has the same length: the line says where it starts.
    EXPECT_EQ(error.where()->byte,
              static_cast<std::int64_t>(header.size() + (line - 2) * record.size()));
  }
  EXPECT_EQ(ErrorOf([&] { Read("select * from Big"); }), "Table 'Big' does not exist");
}

// Memory that runs out while a record is stored is a failure of the system,
// not of the record: kResources, at the record it was storing; the table is
// not left behind.
TEST_F(TextImportTest, MemoryThatRunsOutIsAFailureOfTheSystemAtTheRecord) {
  const std::string path =
      dir_.Write("Big.txt", "CODE,TEXT\r\n1,short\r\n2," + std::string(60000, 'x') + "\r\n");
  std::optional<Error> error;
  {
    const dt::testing::SqliteAllocationLimit limit(32 << 10);
    Database target = Database::OpenExisting(database_);
    try {
      ImportTextFile(target, "Big", path);
    } catch (const Error& e) {
      error = e;
    }
  }
  ASSERT_TRUE(error) << "the import did not meet the limit";
  EXPECT_EQ(error->kind(), ErrorKind::kResources) << Message(*error);
  EXPECT_TRUE(IsSystemFailure(error->kind()));
  ASSERT_TRUE(error->where());
  EXPECT_EQ(error->where()->step, TextStep::kImportLine);
  EXPECT_EQ(error->where()->line, 3);
  EXPECT_EQ(ErrorOf([&] { Read("select * from Big"); }), "Table 'Big' does not exist");
}

// The database the imports write to stays open from one import to the
// next, but never outlives its file: a file put in its place (as the
// template copy puts one) is the one the next import writes to.
TEST_F(TextImportTest, AnImportAfterTheDatabaseWasReplacedWritesToTheNewFile) {
#ifdef _WIN32
  GTEST_SKIP() << "a file held open cannot be replaced there";
#endif
  dir_.Write("A.txt", "X\r\n1\r\n");
  dir_.Write("B.txt", "X\r\n2\r\n");
  EXPECT_EQ(text_.Execute(ImportStatement("A", "A.txt")), 1);
  text_.Close();
  std::filesystem::rename(dir_.Write("fresh.mdb", ""), database_);
  text_.Open(TextConnection(dir_.Folder()));
  EXPECT_EQ(text_.Execute(ImportStatement("B", "B.txt")), 1);
  EXPECT_EQ(SortedRows(Read("select X from B")), std::vector<std::string>{"2"});
  EXPECT_EQ(ErrorOf([&] { Read("select X from A"); }), "Table 'A' does not exist");
}

// Imports through one text connection share one open database, even when
// the connection is closed and opened again between them, as the build
// does for every file: opening a database reads its whole catalogue, which
// thousands of small files would otherwise pay for each. A file put in its
// place is opened anew; on Windows a file held open cannot be replaced.
TEST_F(TextImportTest, ImportsShareOneOpenDatabaseUntilItIsReplaced) {
  dir_.Write("A.txt", "X\r\n1\r\n");
  dir_.Write("B.txt", "X\r\n2\r\n");
  dir_.Write("C.txt", "X\r\n3\r\n");
  dt::testing::FaultyDisk disk;  // counts the opens
  EXPECT_EQ(text_.Execute(ImportStatement("A", "A.txt")), 1);
  text_.Close();
  text_.Open(TextConnection(dir_.Folder()));
  EXPECT_EQ(text_.Execute(ImportStatement("B", "B.txt")), 1);
  EXPECT_EQ(disk.Opens("KORVA.mdb"), 1);
#ifndef _WIN32
  std::filesystem::rename(dir_.Write("fresh.mdb", ""), database_);
  EXPECT_EQ(text_.Execute(ImportStatement("C", "C.txt")), 1);
  EXPECT_EQ(disk.Opens("KORVA.mdb"), 2);
  EXPECT_EQ(SortedRows(Read("select X from C")), std::vector<std::string>{"3"});
#endif
}

// Every file the engine reads or removes goes through the platform's file
// layer, where a disk can fail under it: a staged file or schema.ini that
// cannot be opened or read, and a side file that cannot be removed, are
// failures of the system (kIo) that name the file.
TEST_F(TextImportTest, ADiskFailingUnderTheEnginesOwnFilesIsAFailureOfTheSystem) {
  dir_.Write("A.txt", "X\r\n1\r\n");
  dir_.Write("schema.ini", "[A.txt]\r\nCharacterSet=936\r\n");
  dir_.Write("KORVA.mdb-journal", "");
  const struct {
    const char* name;
    void (dt::testing::FaultyDisk::*fault)(const std::string&);
    std::function<void()> action;
  } cases[] = {
      {"A.txt", &dt::testing::FaultyDisk::FailOpens,
       [&] { text_.Execute(ImportStatement("A", "A.txt")); }},
      {"A.txt", &dt::testing::FaultyDisk::FailReads,
       [&] { text_.Execute(ImportStatement("A", "A.txt")); }},
      {"schema.ini", &dt::testing::FaultyDisk::FailReads,
       [&] { text_.Execute(ImportStatement("A", "A.txt")); }},
      {"KORVA.mdb-journal", &dt::testing::FaultyDisk::FailRemovals,
       [&] { DiscardSideFiles(database_); }},
  };
  for (const auto& c : cases) {
    dt::testing::FaultyDisk disk;
    (disk.*c.fault)(c.name);
    try {
      c.action();
      ADD_FAILURE() << c.name << ": no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), ErrorKind::kIo) << Message(e);
      EXPECT_NE(Message(e).find(c.name), std::string::npos) << Message(e);
    }
  }
  EXPECT_EQ(ErrorOf([&] { Read("select X from A"); }), "Table 'A' does not exist");
}

TEST_F(TextImportTest, ImportedDatabasePassesIntegrityCheckAndOpensAgain) {
  std::string content = "SID,NAME\n";
  for (int i = 0; i < 5000; ++i)
    content += std::to_string(i) + ".1,name " + std::to_string(i) + "\n";
  dir_.Write("ACCOUNTSECTIONS.txt", content);
  dir_.Write("ITEM.txt", "IID,NAME\n1,a\n");
  EXPECT_EQ(text_.Execute(ImportStatement("ACCOUNTSECTIONS", "ACCOUNTSECTIONS.txt")), 5000);
  EXPECT_EQ(text_.Execute(ImportStatement("ITEM", "ITEM.txt")), 1);
  text_.Close();
  EXPECT_EQ(dt::testing::IntegrityOf(database_), "ok");
  EXPECT_EQ(Read("select count(*) as n from accountsections").rows[0][0], "5000");
  EXPECT_EQ(Read("select NAME from accountsections where SID = '4999.1'").rows[0][0], "name 4999");
}

}  // namespace
}  // namespace dt::engine::standin

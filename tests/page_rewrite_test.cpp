// Rewriting text fields in a table's pages: which tables may be patched,
// which rows go through SQL instead, and that the result is the one an
// UPDATE of every row gives, row ids, other fields and types included.
#include "engine/standin/store/page_rewrite.h"

#include <sqlite3.h>

#include <limits>
#include <ostream>

#include "tests/sqlite_integrity.h"
#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

using testing::ErrorOf;
using testing::ScratchDir;

// The clean-up's rewrite: trimmed, "." made "0".
std::string Clean(std::string_view value) {
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  std::string out(value);
  std::replace(out.begin(), out.end(), '.', '0');
  return out;
}

// Every row in row-id order with its row id and each field's type and value.
std::vector<std::string> Dump(const Database& db, const std::string& table) {
  const std::vector<ColumnInfo> columns = ColumnsOf(db, table);
  std::string sql = "SELECT rowid";
  for (const ColumnInfo& column : columns) {
    sql += ", typeof(\"" + column.name + "\") || ':' || quote(\"" + column.name + "\")";
  }
  Statement rows(db, sql + " FROM \"" + table + "\" ORDER BY rowid");
  std::vector<std::string> dump;
  while (rows.Step()) {
    std::string line = std::to_string(rows.ColumnInt(0));
    for (int i = 1; i < rows.ColumnCount(); ++i) line += "|" + rows.ColumnText(i).value_or("?");
    dump.push_back(line);
  }
  return dump;
}

// The first row where two dumps differ, "" when they do not.
std::string FirstDifference(const std::vector<std::string>& got,
                            const std::vector<std::string>& wanted) {
  for (std::size_t i = 0; i < std::max(got.size(), wanted.size()); ++i) {
    const std::string a = i < got.size() ? got[i] : "(none)";
    const std::string b = i < wanted.size() ? wanted[i] : "(none)";
    if (a != b) return a + " instead of " + b;
  }
  return "";
}

std::vector<std::size_t> Indexes(const std::vector<ColumnInfo>& columns,
                                 const std::vector<std::string>& names) {
  std::vector<std::size_t> indexes;
  for (const std::string& name : names) indexes.push_back(RequireColumn(columns, name, "T"));
  return indexes;
}

// How the pages of the test's database are laid out.
struct PageLayout {
  int page_size;
  int reserved;  // bytes at the end of every page that no b-tree uses
};

void PrintTo(const PageLayout& layout, std::ostream* out) {
  *out << layout.page_size << "-byte pages, " << layout.reserved << " reserved";
}

// A database with a table T of rows of every kind the rewrite meets: on
// 512-byte pages a few thousand rows make a b-tree of three levels; the
// engine's own 16 KiB pages; and pages with reserved bytes at their end.
class PageRewriteTest : public ::testing::TestWithParam<PageLayout> {
 protected:
  void SetUp() override {
    path_ = dir_.File("pages.db");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &raw), SQLITE_OK);
    int reserved = GetParam().reserved;
    ASSERT_EQ(sqlite3_file_control(raw, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserved), SQLITE_OK);
    const std::string setup =
        "PRAGMA page_size = " + std::to_string(GetParam().page_size) +
        ";"
        "CREATE TABLE T (K TEXT, Code TEXT, Other TEXT, Free);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
        "INSERT INTO T SELECT CASE WHEN i % 7 = 0 THEN NULL ELSE 'k' || i END, "
        "  CASE i % 9 WHEN 0 THEN NULL WHEN 1 THEN ' ' || i || '.5 ' WHEN 2 THEN '甲.' || i "
        "  ELSE i || '.' || (i % 5) || '.1' END, "
        "  'o.' || i, CASE i % 11 WHEN 0 THEN i WHEN 1 THEN i + 0.5 ELSE 'f.' || i END FROM n;"
        // A code too long for its page, its bytes on overflow pages.
        "UPDATE T SET Code = '9.' || printf('%.2000c', '.') WHERE rowid = 1500;"
        // A record of 465 bytes: whole on a 512-byte page (477 bytes a
        // record may keep there), spilled where 32 of them are reserved.
        "UPDATE T SET Other = printf('%.440c', 'o') WHERE rowid = 1003;"
        // Rows written before a field was added lack it in their records.
        "ALTER TABLE T ADD COLUMN Late TEXT DEFAULT 'l.1';"
        "UPDATE T SET Late = 'n.' || rowid WHERE rowid > 2900;";
    ASSERT_EQ(sqlite3_exec(raw, setup.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    db_.emplace(Database::OpenExisting(path_));
  }

  // The UPDATE that rewrites `set` as Clean does, a NULL only where `held`.
  static std::string UpdateSql(const std::vector<std::string>& set, const std::string& held) {
    std::string sql = "UPDATE T SET ";
    for (std::size_t i = 0; i < set.size(); ++i) {
      const std::string name = "\"" + set[i] + "\"";
      sql += (i > 0 ? ", " : "") + name + " = CASE WHEN " + name + " IS NULL AND NOT (" + held +
             ") THEN NULL ELSE replace(trim(coalesce(" + name + ", ''), ' '), '.', '0') END";
    }
    return sql;
  }

  // What an UPDATE of every row of T gives, in a copy of the database.
  std::vector<std::string> Expected(const std::vector<std::string>& set, const std::string& held) {
    const std::string copy = dir_.File("expected.db");
    // (Removed first: MinGW's copy_file does not overwrite.)
    std::filesystem::remove(copy);
    std::filesystem::copy_file(path_, copy);
    Database expected = Database::OpenExisting(copy);
    expected.Exec(UpdateSql(set, held));
    return Dump(expected, "T");
  }

  // Rewrites `set` of T in place, a NULL where `keys` hold values (`held`
  // in SQL); the row ids left to SQL go to `slow`.
  bool Rewrite(const std::vector<std::string>& set, const std::vector<std::string>& keys,
               const std::string& held, std::vector<std::int64_t>& slow) {
    const std::vector<ColumnInfo> columns = ColumnsOf(*db_, "T");
    Statement update_row(*db_, UpdateSql(set, held) + " WHERE rowid = ?1");
    Transaction transaction(*db_);
    const bool done =
        RewriteInPlace(*db_, "T", columns, Indexes(columns, set), Indexes(columns, keys), Clean,
                       std::numeric_limits<std::int64_t>::min(), [&](std::int64_t row_id) {
                         slow.push_back(row_id);
                         update_row.BindInt(1, row_id);
                         update_row.Step();
                         update_row.Reset();
                       });
    transaction.Commit();
    return done;
  }

  // Rewrites `set` of T through the engine, as the clean-up does, with
  // `rewrite`; the error it raised, "" for none.
  std::string RewriteThroughEngine(const std::vector<std::string>& set,
                                   const std::vector<std::string>& keys,
                                   const engine::Rewrite& rewrite) {
    db_.reset();
    StandInEngine session;
    session.Open(testing::DatabaseConnection(path_));
    const std::string error = ErrorOf([&] { session.RewriteColumns("T", {}, set, keys, rewrite); });
    session.Close();
    db_.emplace(Database::OpenExisting(path_));
    return error;
  }

  std::string Integrity() const { return dt::testing::IntegrityOf(db_->get()); }

  ScratchDir dir_;
  std::string path_;
  std::optional<Database> db_;
};

TEST_P(PageRewriteTest, PatchedRowsMatchAnUpdateAndOnlyResizedOrUnreadableRowsGoThroughSql) {
  // Every row of T with a NULL key keeps its NULL codes; a NULL code of a
  // row with a key becomes ''. A trimmed code changes size; a number is no
  // text; the long code lies on overflow pages: those rows go through SQL.
  const std::vector<std::string> expected = Expected({"Code", "Free"}, "\"K\" IS NOT NULL");
  std::vector<std::int64_t> slow;
  ASSERT_TRUE(Rewrite({"Code", "Free"}, {"K"}, "\"K\" IS NOT NULL", slow));
  EXPECT_EQ(FirstDifference(Dump(*db_, "T"), expected), "");
  EXPECT_EQ(Integrity(), "ok");
  // The 2,002-byte code spills onto overflow pages only from small pages,
  // the 465-byte record only from pages with bytes reserved.
  const bool small = GetParam().page_size < 4096;
  const bool reserved = small && GetParam().reserved > 0;
  std::vector<std::int64_t> wanted;
  for (std::int64_t i = 1; i <= 3000; ++i) {
    if (i % 9 == 1 || i % 11 <= 1 || (i == 1500 && small) || (i == 1003 && reserved)) {
      wanted.push_back(i);
    }
  }
  EXPECT_EQ(slow, wanted);
}

TEST_P(PageRewriteTest, FieldsMissingFromOlderRecordsGoThroughSql) {
  const std::vector<std::string> expected = Expected({"Late"}, "1");
  std::vector<std::int64_t> slow;
  ASSERT_TRUE(Rewrite({"Late"}, {"Other"}, "1", slow));
  EXPECT_EQ(FirstDifference(Dump(*db_, "T"), expected), "");
  EXPECT_EQ(Integrity(), "ok");
  EXPECT_EQ(slow.size(), 2900u);
  EXPECT_EQ(slow.back(), 2900);
}

TEST_P(PageRewriteTest, WithoutKeysNullsStayNull) {
  const std::vector<std::string> expected = Expected({"Other", "Code"}, "0");
  std::vector<std::int64_t> slow;
  ASSERT_TRUE(Rewrite({"Other", "Code"}, {}, "0", slow));
  EXPECT_EQ(FirstDifference(Dump(*db_, "T"), expected), "");
  EXPECT_EQ(Integrity(), "ok");
}

TEST_P(PageRewriteTest, TablesWhoseUpdateDoesMoreThanStoreAreNotPatched) {
  struct Case {
    std::string setup;  // run on T before the check
    bool in_place;
  };
  const std::vector<Case> cases = {
      {"", true},
      {"CREATE INDEX TByCode ON T (Code)", false},
      {"CREATE INDEX TByOther ON T (Other)", false},
      {"CREATE TRIGGER TChanged AFTER UPDATE ON T BEGIN SELECT 1; END", false},
      // SQLite takes a trigger's table name in any letter case.
      {"CREATE TRIGGER TChanged AFTER UPDATE ON t BEGIN SELECT 1; END", false},
      {"CREATE TRIGGER TChanged BEFORE UPDATE OF Code ON [t] BEGIN SELECT 1; END", false},
      {"CREATE TABLE U (Code TEXT CHECK (Code NOT LIKE '%0%'))", false},
      {"CREATE TABLE U (Code TEXT, CHECK (length(Code) > 0))", false},
      {"CREATE TABLE U (Code TEXT(5) CONSTRAINT \"jet_field_size\" CHECK (length(\"Code\") <= "
       "5), ISCHECKED TEXT, \"check\" TEXT)",
       true},
      {"CREATE TABLE U (Code NUMERIC)", false},
      {"CREATE TABLE U (Code INTEGER)", false},
      {"CREATE TABLE U (Code VARCHAR(5), Other)", true},
      {"CREATE TABLE U (Code TEXT, Twice TEXT AS (Code || Code))", false},
      {"CREATE TABLE U (Code TEXT PRIMARY KEY) WITHOUT ROWID", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setup);
    ScratchDir dir;
    Database db = Database::OpenOrCreate(dir.File("check.db"));
    db.Exec("CREATE TABLE T (Code TEXT, Other TEXT)");
    if (!c.setup.empty()) db.Exec(c.setup);
    const std::string table = c.setup.find("TABLE U") != std::string::npos ? "U" : "T";
    const std::vector<ColumnInfo> columns = ColumnsOf(db, table);
    EXPECT_EQ(CanRewriteInPlace(db, table, columns, {0}), c.in_place);
  }
  ScratchDir dir;
  const std::string path = dir.File("utf16.db");
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw, "PRAGMA encoding = 'UTF-16le'; CREATE TABLE T (Code TEXT)", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);
  Database utf16 = Database::OpenExisting(path);
  EXPECT_FALSE(CanRewriteInPlace(utf16, "T", ColumnsOf(utf16, "T"), {0}));
}

// The engine's clean-up over such a table: a rewrite failing after many
// pages were patched leaves every row as it was.
TEST_P(PageRewriteTest, AFailureMidwayLeavesTheTableWhole) {
  const std::vector<std::string> before = Dump(*db_, "T");
  db_.reset();
  StandInEngine session;
  session.Open(testing::DatabaseConnection(path_));
  int calls = 0;
  const std::string error = ErrorOf([&] {
    session.RewriteColumns("T", {}, {"Code", "Other"}, {"K"}, [&](std::string_view value) {
      if (++calls == 5000) throw Error(ErrorKind::kOther, "cannot rewrite");
      return Clean(value);
    });
  });
  EXPECT_EQ(error.rfind("cannot rewrite", 0), 0u) << error;
  session.Close();
  db_.emplace(Database::OpenExisting(path_));
  EXPECT_EQ(Dump(*db_, "T"), before);
  EXPECT_EQ(Integrity(), "ok");
}

// A failure in the leaves patched without a journal, wherever it comes:
// SQLite cannot roll back without a journal, so what was written is
// committed. The leaves before the failing row's are cleaned, that leaf and
// those after it are as they were, and the file is sound.
TEST(UnjournaledLeavesTest, AFailureAtAnyLeafKeepsTheLeavesBeforeItAndNothingElse) {
  constexpr int kRows = 240;  // about eight leaves of 512 bytes
  auto original = [](int row) { return std::to_string(row) + "." + std::to_string(row % 7); };
  int cleaned_before = 0;  // rows cleaned when the row before failed
  for (int failing = 1; failing <= kRows; ++failing) {
    SCOPED_TRACE(failing);
    ScratchDir dir;
    const std::string path = dir.File("leaves.db");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    const std::string setup =
        "PRAGMA page_size = 512; CREATE TABLE T (Code TEXT);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(kRows) + ") INSERT INTO T SELECT i || '.' || (i % 7) FROM n;";
    ASSERT_EQ(sqlite3_exec(raw, setup.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    {
      StandInEngine session;
      session.Open(testing::DatabaseConnection(path));
      int calls = 0;
      const std::string error = ErrorOf([&] {
        session.RewriteColumns("T", {}, {"Code"}, {}, [&](std::string_view value) {
          if (++calls == failing) throw Error(ErrorKind::kOther, "cannot rewrite");
          return Clean(value);
        });
      });
      EXPECT_EQ(error.rfind("cannot rewrite", 0), 0u) << error;
    }
    Database db = Database::OpenExisting(path);
    Statement rows(db, "SELECT rowid, Code FROM T ORDER BY rowid");
    int cleaned = 0;
    while (rows.Step()) {
      const int row = static_cast<int>(rows.ColumnInt(0));
      const std::string code = rows.ColumnText(1).value_or("<null>");
      if (row == cleaned + 1 && code == Clean(original(row))) {
        ++cleaned;
      } else {
        EXPECT_EQ(code, original(row)) << "row " << row;
      }
    }
    EXPECT_LT(cleaned, failing) << "the failing row's leaf is not written";
    // A leaf's rows are written together: the count moves only where a
    // leaf begins, and then to the row before the failing one.
    EXPECT_TRUE(cleaned == cleaned_before || cleaned == failing - 1) << cleaned;
    cleaned_before = cleaned;
    EXPECT_EQ(dt::testing::IntegrityOf(db.get()), "ok");
  }
  EXPECT_GT(cleaned_before, kRows / 2) << "the leaves before the failure are kept";
}

// A database of 512-byte pages at `path` made by `sql`.
void MakeSmallPages(const std::string& path, const std::string& sql) {
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
  const std::string setup = "PRAGMA page_size = 512;" + sql;
  EXPECT_EQ(sqlite3_exec(raw, setup.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(raw);
}

// Column `column` of T in row-id order, NULL as "<null>".
std::vector<std::string> ColumnOfT(const std::string& path, const std::string& column) {
  Database db = Database::OpenExisting(path);
  Statement rows(db, "SELECT " + column + " FROM T ORDER BY rowid");
  std::vector<std::string> values;
  while (rows.Step()) values.push_back(rows.ColumnText(0).value_or("<null>"));
  return values;
}

// A key that is the table's INTEGER PRIMARY KEY is the row id itself, which
// the record stores as NULL: it always holds a value, so a NULL code of its
// row becomes empty text, as an UPDATE by that key finds the row; in the
// leaves patched whole and in those patched around a row for SQL.
TEST(RowIdKeyTest, ARowKeyedOnItsIntegerPrimaryKeyHasItsNullCodeRewritten) {
  for (const bool resized : {false, true}) {
    SCOPED_TRACE(resized);
    ScratchDir dir;
    const std::string path = dir.File("rowid.db");
    MakeSmallPages(path, std::string("CREATE TABLE T (ID INTEGER PRIMARY KEY, Code TEXT);"
                                     "INSERT INTO T VALUES (1, '1.1'), (2, NULL), (7, '") +
                             (resized ? " 7.1 " : "7.1") + "');");
    {
      StandInEngine session;
      session.Open(testing::DatabaseConnection(path));
      session.RewriteColumns("T", {}, {"Code"}, {"ID"}, Clean);
    }
    EXPECT_EQ(ColumnOfT(path, "Code"), (std::vector<std::string>{"101", "", "701"}));
  }
}

// A rewrite the engine interface allows that would change its own output
// again (every digit one up) is applied once to every row, however the
// rows for SQL (a value that grows) lie among the leaves: none, one in the
// middle of a leaf, several.
TEST(RewriteOnceTest, EveryRowIsRewrittenOnceAroundTheRowsForSql) {
  auto up = [](std::string_view value) {
    std::string out(value);
    for (char& c : out) {
      if (c >= '0' && c <= '9') c = c == '9' ? '0' : static_cast<char>(c + 1);
    }
    if (!out.empty() && out.front() == 'L') out += '+';
    return out;
  };
  for (const char* grows : {"0", "i = 301", "i IN (40, 301, 302, 580)"}) {
    SCOPED_TRACE(grows);
    ScratchDir dir;
    const std::string path = dir.File("once.db");
    MakeSmallPages(path, std::string("CREATE TABLE T (Code TEXT);"
                                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                     "FROM n WHERE i < 600) INSERT INTO T SELECT CASE WHEN ") +
                             grows + " THEN 'L' ELSE 'v' END || i || '.' || (i % 10) FROM n;");
    std::vector<std::string> expected = ColumnOfT(path, "Code");
    for (std::string& value : expected) value = up(value);
    {
      StandInEngine session;
      session.Open(testing::DatabaseConnection(path));
      session.RewriteColumns("T", {}, {"Code"}, {}, up);
    }
    EXPECT_EQ(ColumnOfT(path, "Code"), expected);
  }
}

// Leaves whose every row is patched in place are written without a journal
// up to the first row that needs SQL; from there the rest is one journaled
// statement. Wherever that row lies, the result is an UPDATE's.
TEST_P(PageRewriteTest, ThroughTheEngineTheResultIsAnUpdatesWhereverTheFirstResizedRowLies) {
  for (const int first_resized : {1, 1400, 3000, 0}) {
    SCOPED_TRACE(first_resized);
    db_.reset();
    std::filesystem::remove(path_);
    SetUp();
    db_->Exec("UPDATE T SET Code = CASE WHEN rowid >= " + std::to_string(first_resized) + " AND " +
              std::to_string(first_resized) +
              " > 0 THEN ' ' || rowid || '.3 ' ELSE rowid || '.2' END");
    const std::vector<std::string> expected = Expected({"Code", "Other"}, "\"K\" IS NOT NULL");
    EXPECT_EQ(RewriteThroughEngine({"Code", "Other"}, {"K"}, Clean), "");
    EXPECT_EQ(FirstDifference(Dump(*db_, "T"), expected), "");
    EXPECT_EQ(Integrity(), "ok");
  }
}

// The journal goes off and comes back as it was; a database in WAL mode
// keeps it, its writes journaled as any others.
TEST(JournalOffTest, TurnsARollbackJournalOffAndBackAndLeavesWalAlone) {
  for (const std::string mode : {"delete", "persist", "truncate", "wal"}) {
    SCOPED_TRACE(mode);
    ScratchDir dir;
    Database db = Database::OpenOrCreate(dir.File("modes.db"));
    db.Exec("PRAGMA journal_mode = " + mode);
    auto current = [&db] {
      Statement query(db, "PRAGMA main.journal_mode");
      return query.Step() ? query.ColumnText(0).value_or("") : "";
    };
    {
      const JournalOff off(db);
      EXPECT_EQ(current(), mode == "wal" ? "wal" : "off");
    }
    EXPECT_EQ(current(), mode);
  }
}

// Without the journal, a failure midway leaves the rows of the leaves
// written to the file before it rewritten and every other row as it was,
// none half done, the file sound; and the connection journals again.
TEST_P(PageRewriteTest, AFailureMidwayWithoutTheJournalLeavesEachRowRewrittenOrAsItWas) {
  db_->Exec("UPDATE T SET Code = rowid || '.1', K = 'k'");
  const std::vector<std::string> before = Dump(*db_, "T");
  const std::vector<std::string> after = Expected({"Code"}, "1");
  // A cache of a few pages: leaves reach the file while the pass goes on.
  db_->Exec("PRAGMA cache_size = 8");
  const std::vector<ColumnInfo> columns = ColumnsOf(*db_, "T");
  int calls = 0;
  {
    const JournalOff journal_off(*db_);
    Transaction transaction(*db_);
    EXPECT_THROW(
        PatchWholeLeaves(*db_, "T", columns, Indexes(columns, {"Code"}), Indexes(columns, {"K"}),
                         [&](std::string_view value) {
                           if (++calls == 2000) {
                             throw Error(ErrorKind::kOther, "cannot rewrite");
                           }
                           return Clean(value);
                         }),
        Error);
    // As the engine ends the pass: what was written is committed, never
    // rolled back without a journal (on large pages it may all still be in
    // the cache).
    transaction.Commit();
  }
  Statement mode(*db_, "PRAGMA journal_mode");
  ASSERT_TRUE(mode.Step());
  EXPECT_EQ(mode.ColumnText(0), "delete");
  const std::vector<std::string> got = Dump(*db_, "T");
  std::size_t rewritten = 0;
  while (rewritten < got.size() && got[rewritten] == after[rewritten]) ++rewritten;
  EXPECT_GT(rewritten, 0u);
  EXPECT_LT(rewritten, 2000u);
  EXPECT_EQ(FirstDifference(std::vector<std::string>(got.begin() + rewritten, got.end()),
                            std::vector<std::string>(before.begin() + rewritten, before.end())),
            "");
  EXPECT_EQ(Integrity(), "ok");
}

INSTANTIATE_TEST_SUITE_P(Layouts, PageRewriteTest,
                         ::testing::Values(PageLayout{512, 0}, PageLayout{16384, 0},
                                           PageLayout{512, 32}));

}  // namespace
}  // namespace dt::engine::standin

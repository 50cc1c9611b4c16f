// Randomized robustness of the engine's two readers of outside input, with a
// fixed seed so every run sees the same few thousand inputs:
//  - mutated Jet statements (the build's own, broken apart, spliced, cut,
//    salted with quotes, brackets, binary bytes and invalid UTF-8, nested
//    deeply) go through the translator and a work database; each must either
//    run or fail with engine::Error, and a failed one must leave every table and
//    the catalogue exactly as they were, in a sound file;
//  - mutated comma-separated text goes through the text reader at odd block
//    sizes and must read exactly as a plain byte-by-byte reading of the
//    driver's rules says.
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/header_names.h"
#include "engine/jetsql/parser.h"
#include "engine/standin/text/text_reader.h"
#include "platform/codepage.h"
#include "src/model/export_model.h"
#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

using testing::ErrorOf;
using testing::ScratchDir;

// Deterministic choices: mt19937_64's sequence is fixed by the standard.
class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}
  std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(engine_() % n); }
  bool OneIn(std::size_t n) { return Below(n) == 0; }

 private:
  std::mt19937_64 engine_;
};

// Pieces that statements and text files are mutated with.
const std::vector<std::string>& Salt() {
  static const std::vector<std::string> salt = {"'",
                                                "\"",
                                                "[",
                                                "]",
                                                "(",
                                                ")",
                                                ",",
                                                ".",
                                                "#",
                                                "&",
                                                "+",
                                                "-",
                                                "*",
                                                "/",
                                                "=",
                                                "<>",
                                                ";",
                                                " ",
                                                "\r\n",
                                                "\n",
                                                "\r",
                                                std::string(1, '\0'),
                                                "\xFF",
                                                "\xC3",
                                                "\x81",
                                                "\x81\\",
                                                "\xE4\xB8\xAD",
                                                "\xEF\xBB\xBF",
                                                "--",
                                                "/*",
                                                "NULL",
                                                " AND ",
                                                " OR ",
                                                " NOT ",
                                                " IS ",
                                                " IN ",
                                                " LIKE ",
                                                " FROM ",
                                                " WHERE ",
                                                " INTO ",
                                                " SELECT ",
                                                " left join ",
                                                " on ",
                                                "cdate(",
                                                "a.",
                                                "'0'",
                                                "\"\"",
                                                "''",
                                                "[x\"]",
                                                "[y']",
                                                "\"; DROP TABLE item; --",
                                                "0",
                                                "1e999",
                                                "99999999999999999999"};
  return salt;
}

std::string Mutate(std::string text, Random& random, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = random.Below(text.size() + 1);
    const std::size_t length = random.Below(std::min<std::size_t>(12, text.size() - at) + 1);
    switch (random.Below(6)) {
      case 0:  // cut a piece out
        text.erase(at, length);
        break;
      case 1:  // insert a salt piece
        text.insert(at, Salt()[random.Below(Salt().size())]);
        break;
      case 2:  // overwrite one byte with any byte
        if (at < text.size()) text[at] = static_cast<char>(random.Below(256));
        break;
      case 3:  // repeat a piece
        text.insert(at, text.substr(at, length));
        break;
      case 4:  // end early
        text.resize(at);
        break;
      default:  // move a piece elsewhere
      {
        const std::string piece = text.substr(at, length);
        text.erase(at, length);
        text.insert(random.Below(text.size() + 1), piece);
        break;
      }
    }
  }
  return text;
}

std::string Repeat(std::string_view piece, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// ---------------------------------------------------------------- statements

const std::vector<std::string>& SeedStatements() {
  static const std::vector<std::string> seeds = [] {
    // The build's own statements first, as it sends them.
    std::vector<std::string> statements;
    for (const std::u8string_view statement : DerivedStatements()) {
      statements.emplace_back(reinterpret_cast<const char*>(statement.data()), statement.size());
    }
    statements.insert(
        statements.end(),
        {
            "alter table [ACCOUNTSECTIONS] add column [NewCode] varchar(255)",
            "update BOOKDETAIL Set SID = '1.01', BID = 'B.1', IID = 'I' where BOOKNO = 'P1' and "
            "LINE = '1'",
            "update item Set IID = 'I1' where IID = 'I.1'",
            "insert into item values ('I9' & NULL & 'x', 3 + '4')",
            "select count(*), max(IID) from item where NAME like 'i*' or IID in ('a', 'b') group "
            "by IID",
            "select top 2 * from book where not (YEAR between '2019' and '2021') order by BOOKNO "
            "desc",
            "select iif(SID is null, 'none', SID + '.' + ID), nz(BID, 'x') from remain",
            "delete from remain where ID <> '1'",
            "drop table KMYE",
            "create table [odd \"name] ([a'b] text not null, c counter, d currency)",
            "select #2020-01-05#, cdate('2020-2-29') & '', 1.5 / 0, 7 mod 2 from book",
        });
    return statements;
  }();
  return seeds;
}

// A statement to feed the engine: usually a mutated seed, now and then an
// input built to be huge or deeply nested.
std::string MakeStatement(Random& random) {
  switch (random.Below(40)) {
    case 0:
      return "select " + Repeat("(", 100 + random.Below(5000)) + "1 from item";
    case 1:
      return "select " + Repeat("- NOT ", 100 + random.Below(3000)) + "1 from item";
    case 2:
      return "select 1" + Repeat(" + 1", 100 + random.Below(3000)) + " from item";
    case 3:
      return "select * from " + Repeat("(item left join ", 10 + random.Below(200)) + "item";
    case 4:
      return "select '" + Repeat("x", random.Below(200000)) + "' & IID from item";
    case 5:
      return Repeat("[", random.Below(5000));
    default:
      break;
  }
  const auto& seeds = SeedStatements();
  std::string text = seeds[random.Below(seeds.size())];
  // Some inputs stay whole or nearly so, to reach the paths that run.
  const std::size_t choice = random.Below(10);
  if (choice < 2) return text;
  if (choice < 5) return Mutate(std::move(text), random, 1);
  if (random.OneIn(3)) {  // splice two statements
    const std::string& other = seeds[random.Below(seeds.size())];
    text = text.substr(0, random.Below(text.size() + 1)) + other.substr(random.Below(other.size()));
  }
  return Mutate(std::move(text), random, 1 + random.Below(4));
}

// Everything a statement could change: the catalogue and every row.
std::string DumpDatabase(const std::string& path) {
  sqlite3* raw = nullptr;
  EXPECT_EQ(sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
  std::string dump;
  std::vector<std::string> tables;
  auto each_row = [&](const std::string& sql, auto&& on_row) {
    sqlite3_stmt* raw_stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &raw_stmt, nullptr), SQLITE_OK) << sql;
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw_stmt, sqlite3_finalize);
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) on_row(stmt.get());
  };
  auto text_of = [](sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return std::string("<null>");
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return "'" + std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
  };
  each_row("SELECT type, name, sql FROM sqlite_schema ORDER BY type, name", [&](sqlite3_stmt* s) {
    dump += text_of(s, 0) + "|" + text_of(s, 1) + "|" + text_of(s, 2) + "\n";
    if (text_of(s, 0) == "'table") tables.push_back(text_of(s, 1).substr(1));
  });
  for (const std::string& table : tables) {
    std::string quoted = "\"";
    for (char c : table) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += "\"";
    each_row("SELECT * FROM " + quoted + " ORDER BY rowid", [&](sqlite3_stmt* s) {
      for (int i = 0; i < sqlite3_column_count(s); ++i) dump += text_of(s, i) + "|";
      dump += "\n";
    });
  }
  each_row("PRAGMA integrity_check", [&](sqlite3_stmt* s) { dump += text_of(s, 0) + "\n"; });
  return dump;
}

class WorkDatabase {
 public:
  explicit WorkDatabase(const ScratchDir& dir) : path_(dir.File("fuzz.mdb")) {}

  void Reset() {
    session_.Close();
    std::ofstream(path_, std::ios::binary | std::ios::trunc).flush();
    session_.Open(testing::DatabaseConnection(path_));
    for (const char* sql :
         {"CREATE TABLE ACCOUNTSECTIONS (SID text, NAME text, DEBCRE text, NewCode text)",
          "insert into ACCOUNTSECTIONS values ('1.01', 'cash', '1', '101')",
          "insert into ACCOUNTSECTIONS values ('5', NULL, '-1', NULL)",
          "CREATE TABLE REMAIN (ID text, SID text, BID text, IID text, BAL00 text)",
          "insert into REMAIN values ('1', '1.01', 'B.1', 'I.1', '100')",
          "insert into REMAIN values ('2', '9', NULL, NULL, 'x')",
          "CREATE TABLE BUDGETSECTION (BID text, NAME text)",
          "insert into BUDGETSECTION values ('B.1', 'budget')",
          "CREATE TABLE ITEM (IID text, NAME text)", "insert into ITEM values ('I.1', 'item')",
          "insert into ITEM values ('', 'it''s')",
          "CREATE TABLE BOOK (BOOKNO text, SID text, BILLS text, YEAR text, MONTH text, "
          "DAY text)",
          "insert into BOOK values ('P1', '1.01', '2', '2020', '1', '5')",
          "insert into BOOK values ('P2', '5', '1', '20', '13', '1')",
          "CREATE TABLE BOOKDETAIL (BOOKNO text, LINE text, SID text, BID text, IID text, "
          "TOTALMONEY text, DEBCRE text, SUMMARY text, CANCELED text)",
          "insert into BOOKDETAIL values ('P1', '1', '1.01', 'B.1', 'I.1', '10', '1', 's', "
          "'0')"}) {
      session_.Execute(sql);
    }
  }

  StandInEngine& session() { return session_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  StandInEngine session_;
};

TEST(StandInFuzzTest, MutatedStatementsRunOrFailWithoutChangingAnything) {
  ScratchDir dir;
  WorkDatabase work(dir);
  Random random(20261207);
  int failures = 0;
  for (int i = 0; i < 2500; ++i) {
    if (i % 100 == 0) work.Reset();
    const std::string sql = MakeStatement(random);
    SCOPED_TRACE("input " + std::to_string(i) + ": " + sql.substr(0, 300));
    // The translator alone: a parsed form or engine::Error, nothing else.
    ErrorOf([&] { Parse(sql); });
    const std::string before = DumpDatabase(work.path());
    const std::string error = ErrorOf([&] {
      if (random.OneIn(6)) {
        work.session().Query(sql);
      } else {
        work.session().Execute(sql);
      }
    });
    if (!error.empty()) {
      ++failures;
      ASSERT_EQ(DumpDatabase(work.path()), before) << "failed with: " << error;
    }
  }
  // The inputs reach the engine's failure paths and its success paths alike.
  EXPECT_GT(failures, 500);
  EXPECT_LT(failures, 2250);
}

// ---------------------------------------------------------------- text files

using Row = std::vector<std::optional<std::string>>;

struct Reading {
  std::vector<std::string> columns;
  std::vector<Row> rows;
  std::vector<std::size_t> lines;
  bool operator==(const Reading&) const = default;
};

void PrintTo(const Reading& reading, std::ostream* out) {
  *out << "columns:";
  for (const std::string& column : reading.columns) *out << " [" << column << "]";
  for (std::size_t r = 0; r < reading.rows.size(); ++r) {
    *out << "\nline " << reading.lines[r] << ":";
    for (const auto& value : reading.rows[r]) *out << " " << (value ? "[" + *value + "]" : "NULL");
  }
}

// The driver's encoding rule, read character by character in UTF-16: a
// well-formed UTF-8 file with a byte-order mark, with nothing outside ASCII,
// or with three or more Chinese characters and nothing else outside ASCII
// but the middle dot.
bool ReferenceIsUtf8(const std::string& file) {
  if (!platform::IsValidUtf8(file)) return false;
  const std::u16string text = platform::Utf8ToUtf16(file);
  if (!text.empty() && text[0] == 0xFEFF) return true;
  const auto chinese = [](char16_t c) {
    return (c >= 0x2000 && c <= 0x206F) || (c >= 0x2100 && c <= 0x26FF) ||
           (c >= 0x3000 && c <= 0x303F) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFFEF);
  };
  int count = 0;
  bool any = false;
  bool other = false;
  for (const char16_t c : text) {
    if (c < 0x80) continue;
    any = true;
    if (chinese(c)) {
      ++count;
    } else if (c != 0xB7) {
      other = true;
    }
  }
  return !any || (!other && count >= 3);
}

// The driver's rules, read byte by byte.
Reading ReferenceRead(const std::string& file) {
  const bool utf8 = ReferenceIsUtf8(file);
  std::size_t pos = utf8 && file.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  std::size_t line = 1;
  // A line end at `pos`: CR LF, CR or LF, counted once.
  auto line_end = [&]() {
    if (file[pos] == '\r' && pos + 1 < file.size() && file[pos + 1] == '\n') ++pos;
    ++pos;
    ++line;
  };
  auto decode = [&](const std::string& bytes) {
    return utf8 ? bytes : platform::AnsiToUtf8(bytes);
  };
  std::vector<std::vector<std::string>> records;
  std::vector<std::size_t> starts;
  while (true) {
    while (pos < file.size() && (file[pos] == '\r' || file[pos] == '\n')) line_end();
    if (pos >= file.size()) break;
    starts.push_back(line);
    std::vector<std::string> fields(1);
    while (true) {
      if (pos < file.size() && file[pos] == '"') {
        ++pos;
        bool quote_closed = false;
        while (pos < file.size()) {
          const char c = file[pos];
          if (c == '"') {
            if (pos + 1 < file.size() && file[pos + 1] == '"') {
              fields.back() += '"';
              pos += 2;
              continue;
            }
            ++pos;
            quote_closed = true;
            break;
          }
          fields.back() += c;
          if (c == '\n' && !(pos > 0 && file[pos - 1] == '\r')) ++line;
          if (c == '\r') ++line;
          ++pos;
        }
        // Open at the end: the file's last line end is not the field's.
        if (!quote_closed) {
          std::string& text = fields.back();
          if (text.ends_with("\r\n")) {
            text.resize(text.size() - 2);
          } else if (text.ends_with('\n') || text.ends_with('\r')) {
            text.pop_back();
          }
        }
      }
      while (pos < file.size() && file[pos] != ',' && file[pos] != '\r' && file[pos] != '\n') {
        fields.back() += file[pos++];
      }
      if (pos >= file.size()) break;
      if (file[pos] == ',') {
        ++pos;
        fields.emplace_back();
        continue;
      }
      line_end();
      break;
    }
    records.push_back(std::move(fields));
  }
  Reading reading;
  if (records.empty()) return reading;
  // Names follow the one naming rule, tested on its own.
  std::vector<std::string> names;
  for (const std::string& field : records[0]) names.push_back(decode(field));
  reading.columns = engine::HeaderNames(names);
  for (std::size_t r = 1; r < records.size(); ++r) {
    Row row(reading.columns.size());
    for (std::size_t i = 0; i < row.size() && i < records[r].size(); ++i) {
      if (!records[r][i].empty()) row[i] = decode(records[r][i]);
    }
    reading.rows.push_back(std::move(row));
    reading.lines.push_back(starts[r]);
  }
  return reading;
}

Reading ReaderRead(const std::string& path, std::size_t block_size) {
  TextReader reader(path, block_size);
  Reading reading;
  reading.columns = reader.Columns();
  std::vector<std::optional<std::string_view>> fields;
  while (reader.Next(fields)) {
    Row row;
    for (const auto& field : fields)
      row.emplace_back(field ? std::optional(std::string(*field)) : std::nullopt);
    reading.rows.push_back(std::move(row));
    reading.lines.push_back(reader.Line());
  }
  return reading;
}

const std::vector<std::string>& SeedFiles() {
  static const std::vector<std::string> seeds = {
      "SID,NAME,BID\r\n1.01,cash,B.1\r\n\"5,6\",\"say \"\"hi\"\"\",\r\n,,\r\n",
      "A,B\n\"line\r\nbreak\",x\n\n\nlast,\"open",
      "\xEF\xBB\xBF\xE5\x90\x8D,B,B,b\r\n\xE4\xB8\xAD\xE6\x96\x87,\"\xE9\x80\x97,\"\r\n",
      platform::Ansi(u8"名称,摘要, ,名称\r\n现金,\"支付,办公费\"\r\n\x81\\,x|y\r\n"),
      "A\r" + Repeat("x", 300) + "\r\"" + Repeat("y,", 200) + "\"\r",
      "",
      "\r\n\r\n",
      "H1,H2,H3\r\n\"a\"b,c\"d,\"\"\r\n\"\",\" \",\"\r\"\"\n\"\r\n",
  };
  return seeds;
}

TEST(StandInFuzzTest, MutatedTextFilesReadAsTheRulesSay) {
  ScratchDir dir;
  Random random(7041);
  static constexpr std::size_t kBlockSizes[] = {1, 2, 3, 5, 8, 13, 64, 4096};
  for (int i = 0; i < 2500; ++i) {
    std::string text;
    if (random.OneIn(100)) {  // a wide header of repeated and empty names
      text = Repeat("A,a,,F3,", 100 + random.Below(300)) + "\r\n1,2\r\n";
    } else {
      const auto& seeds = SeedFiles();
      text = Mutate(seeds[random.Below(seeds.size())], random, 1 + random.Below(4));
    }
    const std::string path = dir.Write("fuzz.txt", text);
    const std::size_t block = kBlockSizes[random.Below(std::size(kBlockSizes))];
    SCOPED_TRACE("input " + std::to_string(i) + ", block " + std::to_string(block) + ": " +
                 ::testing::PrintToString(text));
    ASSERT_EQ(ReaderRead(path, block), ReferenceRead(text));
  }
}

}  // namespace
}  // namespace dt::engine::standin

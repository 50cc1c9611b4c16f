// Tests of the export generator: determinism, the files' shape (row counts,
// the catalogue's column counts, code page 936, CR LF) and the realism the
// benchmarks rely on (references that mostly match, cancelled share, dates,
// dotted codes of uneven widths, fields that need quotes).
#include "bench/export_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/standin/text/text_reader.h"
#include "platform/codepage.h"
#include "src/staging/catalogue.h"

namespace dt::bench {
namespace {

namespace fs = std::filesystem;

// The column count of each table's header line in the source catalogue.
const std::map<std::string, std::size_t> kColumnCounts = {{"ACCOUNTSECTIONS.TXT", 68},
                                                          {"BOOK.TXT", 44},
                                                          {"BOOKDETAIL.TXT", 28},
                                                          {"BUDGETSECTION.TXT", 22},
                                                          {"ITEM.TXT", 26},
                                                          {"LOAN.TXT", 19},
                                                          {"REMAIN.TXT", 9}};

class TempDir {
 public:
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  TempDir() {
    path_ =
        fs::temp_directory_path() / ("export_generator_" + std::to_string(std::random_device{}()));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// One generated table read back through the text reader, values in UTF-8.
struct Table {
  std::vector<std::string> columns;
  std::vector<std::vector<std::optional<std::string>>> rows;
  std::vector<std::size_t> field_counts;

  std::size_t Index(const std::string& name) const {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (columns[i] == name) return i;
    }
    ADD_FAILURE() << "no column " << name;
    return 0;
  }
  // Every value of one column, NULL read as empty text.
  std::vector<std::string> Column(const std::string& name) const {
    const std::size_t i = Index(name);
    std::vector<std::string> values;
    for (const auto& row : rows) values.push_back(row[i].value_or(""));
    return values;
  }
};

// Reads `file`, naming the columns after the catalogue (the file's own first
// line is the exporter's, which the import throws away).
Table ReadTable(const fs::path& dir, const std::string& file) {
  engine::standin::TextReader reader((dir / file).string());
  Table table;
  for (const CatalogueEntry& entry : SourceCatalogue()) {
    if (entry.file_name != file) continue;
    std::stringstream names(entry.header_line);
    for (std::string name; std::getline(names, name, ',');) table.columns.push_back(name);
  }
  EXPECT_EQ(reader.Columns().size(), table.columns.size()) << file;
  std::vector<std::optional<std::string_view>> fields;
  while (reader.Next(fields)) {
    std::vector<std::optional<std::string>> row;
    for (const auto& field : fields) {
      row.push_back(field ? std::optional<std::string>(std::string(*field)) : std::nullopt);
    }
    table.rows.push_back(std::move(row));
    table.field_counts.push_back(reader.RecordFieldCount());
  }
  return table;
}

// One larger export shared by the tests that look at its content.
class ExportGeneratorTest : public ::testing::Test {
 protected:
  static constexpr std::uint64_t kLines = 30000;
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    counts_ = GenerateExport({kLines, 42}, dir_->path().string());
  }
  static void TearDownTestSuite() { dir_.reset(); }
  static const fs::path& dir() { return dir_->path(); }
  static const ExportCounts& counts() { return counts_; }

 private:
  static inline std::unique_ptr<TempDir> dir_;
  static inline ExportCounts counts_;
};

TEST(ExportGeneratorDeterminismTest, SameOptionsGiveTheSameBytes) {
  TempDir a, b, c;
  GenerateExport({2000, 7}, a.path().string());
  GenerateExport({2000, 7}, b.path().string());
  GenerateExport({2000, 8}, c.path().string());
  for (const auto& [file, columns] : kColumnCounts) {
    SCOPED_TRACE(file);
    const std::string bytes = ReadBytes(a.path() / file);
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(bytes, ReadBytes(b.path() / file));
  }
  EXPECT_NE(ReadBytes(a.path() / "BOOKDETAIL.TXT"), ReadBytes(c.path() / "BOOKDETAIL.TXT"));
}

TEST(ExportGeneratorCountsTest, RowCountsFollowTheNumberOfLines) {
  for (std::uint64_t lines : {0, 1, 7, 600}) {
    SCOPED_TRACE(lines);
    TempDir dir;
    const ExportCounts counts = GenerateExport({lines, 3}, dir.path().string());
    ASSERT_EQ(counts.size(), kColumnCounts.size());
    EXPECT_EQ(counts.at("BOOKDETAIL.TXT"), lines);
    EXPECT_EQ(counts.at("REMAIN.TXT"), lines / 20);
    EXPECT_LE(counts.at("BOOK.TXT"), lines);
    EXPECT_GE(counts.at("BOOK.TXT") * 5, lines);
    EXPECT_GE(counts.at("ACCOUNTSECTIONS.TXT"), 30u);
    EXPECT_GE(counts.at("BUDGETSECTION.TXT"), 20u);
    EXPECT_GE(counts.at("ITEM.TXT"), 30u);
    EXPECT_GE(counts.at("LOAN.TXT"), 5u);
    for (const auto& [file, rows] : counts) {
      // No generated value holds a line break, so lines are rows plus the
      // exporter's first line.
      const std::string bytes = ReadBytes(dir.path() / file);
      std::size_t line_ends = 0;
      for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
           at = bytes.find("\r\n", at + 2)) {
        ++line_ends;
      }
      EXPECT_EQ(line_ends, rows + 1) << file;
    }
  }
}

TEST_F(ExportGeneratorTest, EveryRecordHoldsTheCatalogueColumnCount) {
  for (const auto& [file, columns] : kColumnCounts) {
    SCOPED_TRACE(file);
    const Table table = ReadTable(dir(), file);
    EXPECT_EQ(table.columns.size(), columns);
    EXPECT_EQ(table.rows.size(), counts().at(file));
    for (std::size_t i = 0; i < table.field_counts.size(); ++i) {
      ASSERT_EQ(table.field_counts[i], columns) << "record " << i;
    }
  }
}

TEST_F(ExportGeneratorTest, FirstLineIsTheExportersOwn) {
  for (const CatalogueEntry& entry : SourceCatalogue()) {
    const std::string bytes = ReadBytes(dir() / entry.file_name);
    const std::string first_line = bytes.substr(0, bytes.find("\r\n"));
    EXPECT_NE(first_line, entry.header_line) << entry.file_name;
    engine::standin::TextReader reader((dir() / entry.file_name).string());
    EXPECT_EQ(reader.Columns().size(), kColumnCounts.at(entry.file_name));
  }
}

TEST_F(ExportGeneratorTest, TextIsCodePage936WithCrLfLineEnds) {
  for (const auto& [file, columns] : kColumnCounts) {
    SCOPED_TRACE(file);
    const std::string bytes = ReadBytes(dir() / file);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\r') {
        ASSERT_EQ(bytes[i + 1], '\n') << "lone CR at " << i;
      } else if (bytes[i] == '\n') {
        ASSERT_EQ(bytes[i - 1], '\r') << "lone LF at " << i;
      }
    }
    const bool has_chinese =
        bytes.find_first_of(std::string("\x81\xB0\xD6", 3)) != std::string::npos;
    if (file == "REMAIN.TXT") continue;  // codes and amounts only
    ASSERT_TRUE(has_chinese);
    EXPECT_FALSE(platform::IsValidUtf8(bytes));
    // Every double-byte character is one the code page has: the text
    // survives a round trip through Unicode unchanged.
    EXPECT_EQ(platform::Utf8ToAnsi(platform::AnsiToUtf8(bytes)), bytes);
  }
  // Read back through the text reader, the names are the Chinese texts the
  // generator was given.
  const std::vector<std::string> names = ReadTable(dir(), "BUDGETSECTION.TXT").Column("NAME");
  for (const std::string& name : names) {
    ASSERT_FALSE(name.empty());
    ASSERT_TRUE(platform::IsValidUtf8(name));
    ASSERT_EQ(name.find('?'), std::string::npos) << name;
  }
  EXPECT_GT(
      std::count(names.begin(), names.end(), "\xE8\xA1\x8C\xE6\x94\xBF\xE8\xBF\x90\xE8\xA1\x8C"),
      0);  // 行政运行
}

TEST_F(ExportGeneratorTest, AboutTwoPercentOfTheLinesAreCancelled) {
  const std::vector<std::string> canceled = ReadTable(dir(), "BOOKDETAIL.TXT").Column("CANCELED");
  std::size_t ones = 0;
  for (const std::string& value : canceled) {
    ASSERT_TRUE(value == "0" || value == "1") << value;
    ones += value == "1";
  }
  const double share = static_cast<double>(ones) / static_cast<double>(canceled.size());
  EXPECT_GT(share, 0.01);
  EXPECT_LT(share, 0.03);
}

// An amount as the exporter writes it: optional minus, digits, a point and
// exactly two digits.
bool IsMoney(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  const std::size_t point = text.find('.');
  if (point == 0 || point == std::string_view::npos || text.size() - point != 3) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i != point && (text[i] < '0' || text[i] > '9')) return false;
  }
  return true;
}

// Share of `values` (empty ones left out) found in `known`, and how many
// were not found.
std::pair<double, std::size_t> Matched(const std::vector<std::string>& values,
                                       const std::set<std::string>& known) {
  std::size_t present = 0, found = 0;
  for (const std::string& value : values) {
    if (value.empty()) continue;
    ++present;
    found += known.count(value);
  }
  return {present == 0 ? 0.0 : static_cast<double>(found) / static_cast<double>(present),
          present - found};
}

TEST_F(ExportGeneratorTest, LinesReferToExistingRowsMostly) {
  const Table detail = ReadTable(dir(), "BOOKDETAIL.TXT");
  const auto set_of = [](const std::vector<std::string>& values) {
    return std::set<std::string>(values.begin(), values.end());
  };
  const std::set<std::string> books = set_of(ReadTable(dir(), "BOOK.TXT").Column("BOOKNO"));
  const std::set<std::string> accounts =
      set_of(ReadTable(dir(), "ACCOUNTSECTIONS.TXT").Column("SID"));
  const std::set<std::string> budgets = set_of(ReadTable(dir(), "BUDGETSECTION.TXT").Column("BID"));
  const std::set<std::string> items = set_of(ReadTable(dir(), "ITEM.TXT").Column("IID"));
  const std::vector<std::pair<std::string, const std::set<std::string>*>> references = {
      {"BOOKNO", &books}, {"SID", &accounts}, {"BID", &budgets}, {"IID", &items}};
  for (const auto& [column, known] : references) {
    SCOPED_TRACE(column);
    const auto [share, unmatched] = Matched(detail.Column(column), *known);
    EXPECT_GT(share, 0.98);
    EXPECT_GT(unmatched, 0u);
  }
  // The clean-up pass finds voucher lines by BOOKNO and LINE.
  std::set<std::pair<std::string, std::string>> keys;
  const auto bookno = detail.Column("BOOKNO");
  const auto line = detail.Column("LINE");
  for (std::size_t i = 0; i < bookno.size(); ++i) {
    EXPECT_TRUE(keys.insert({bookno[i], line[i]}).second) << bookno[i] << " " << line[i];
  }
  const auto [remain_share, remain_unmatched] =
      Matched(ReadTable(dir(), "REMAIN.TXT").Column("SID"), accounts);
  EXPECT_GT(remain_share, 0.98);
}

TEST_F(ExportGeneratorTest, VouchersHaveUniqueNumbersAndValidDates) {
  const Table book = ReadTable(dir(), "BOOK.TXT");
  EXPECT_GT(book.rows.size(), kLines / 4);
  EXPECT_LT(book.rows.size(), kLines / 2);
  const auto bookno = book.Column("BOOKNO");
  EXPECT_EQ(std::set<std::string>(bookno.begin(), bookno.end()).size(), bookno.size());
  const auto year = book.Column("YEAR"), month = book.Column("MONTH"), day = book.Column("DAY");
  const auto bills = book.Column("BILLS");
  for (std::size_t i = 0; i < book.rows.size(); ++i) {
    const std::chrono::year_month_day date{std::chrono::year(std::stoi(year[i])),
                                           std::chrono::month(std::stoul(month[i])),
                                           std::chrono::day(std::stoul(day[i]))};
    ASSERT_TRUE(date.ok()) << year[i] << "-" << month[i] << "-" << day[i];
    ASSERT_FALSE(bills[i].empty());
  }
}

TEST_F(ExportGeneratorTest, CodesAreDottedWithUnevenSegmentWidths) {
  const auto sids = ReadTable(dir(), "ACCOUNTSECTIONS.TXT").Column("SID");
  EXPECT_EQ(std::set<std::string>(sids.begin(), sids.end()).size(), sids.size());
  std::map<std::size_t, std::set<std::size_t>> widths;  // level -> segment widths
  for (const std::string& sid : sids) {
    std::stringstream segments(sid);
    std::size_t level = 0;
    for (std::string segment; std::getline(segments, segment, '.');) {
      ASSERT_FALSE(segment.empty()) << sid;
      widths[++level].insert(segment.size());
    }
  }
  ASSERT_EQ(widths.size(), 5u);  // one to five levels
  EXPECT_GE(widths[1].size(), 2u);
  EXPECT_GE(widths[2].size(), 2u);

  const auto bids = ReadTable(dir(), "BUDGETSECTION.TXT").Column("BID");
  EXPECT_GT(std::count(bids.begin(), bids.end(), ""), 0);
  EXPECT_GT(std::count_if(bids.begin(), bids.end(),
                          [](const std::string& b) { return b.find('.') != std::string::npos; }),
            0);
  const auto ids = ReadTable(dir(), "REMAIN.TXT").Column("ID");
  EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size());
}

TEST_F(ExportGeneratorTest, SummariesAndAmountsLookExported) {
  const Table detail = ReadTable(dir(), "BOOKDETAIL.TXT");
  const auto summaries = detail.Column("SUMMARY");
  EXPECT_GT(std::count_if(summaries.begin(), summaries.end(),
                          [](const std::string& s) { return s.find(',') != std::string::npos; }),
            0);
  EXPECT_GT(std::count_if(summaries.begin(), summaries.end(),
                          [](const std::string& s) { return s.find('"') != std::string::npos; }),
            0);
  for (const std::string& amount : detail.Column("TOTALMONEY")) {
    ASSERT_TRUE(IsMoney(amount)) << amount;
  }
}

TEST(ExportGeneratorErrorTest, UnwritableFolderIsReported) {
  TempDir dir;
  const fs::path file = dir.path() / "plain-file";
  std::ofstream(file) << "x";
  try {
    GenerateExport({10, 1}, file.string());
    FAIL() << "no error for a folder that is a file";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace dt::bench

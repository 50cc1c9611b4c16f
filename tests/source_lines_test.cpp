// Source lines of rows: records counted as the text driver counts them.
#include "cli/source_lines.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/standin/text/text_reader.h"
#include "tests/staging_temp_dir.h"

namespace dt::cli {
namespace {

TEST(SourceLinesTest, RecordsSpanningLinesAndEmptyLinesAreCountedAsTheImportDid) {
  testing::TempDir dir;
  const std::string path = dir / "BOOKDETAIL.TXT";
  testing::WriteBytes(path,
                      "BOOKNO,SUMMARY,SID\r\n"       // line 1: the header
                      "B1,plain,101\r\n"             // 2: row 1
                      "B1,\"two\r\nlines\",102\r\n"  // 3-4: row 2
                      "\r\n"                         // 5: empty, no row
                      "B2,\"a \"\"quote\"\", and\n"  // 6-7: row 3, LF inside
                      "more\",103\n"
                      "B2,last,104\r");  // 8: row 4, a lone CR
  std::vector<BrokenReference> rows = {
      {"104", 4, 0}, {"102", 2, 0}, {"x", 2, 0}, {"103", 3, 0}, {"gone", 9, 0}};
  FindSourceLines(path, {&rows[0], &rows[1], &rows[2], &rows[3], &rows[4]});
  EXPECT_EQ(rows[0].line, 8);
  EXPECT_EQ(rows[1].line, 3);
  EXPECT_EQ(rows[2].line, 3) << "two references of one row";
  EXPECT_EQ(rows[3].line, 6);
  EXPECT_EQ(rows[4].line, 0) << "past the last record";
}

// Files of the bytes that matter to records, at random: every record's line
// as the scan finds it, read in blocks of every small size, is the line the
// text driver's own reader gives it.
TEST(SourceLinesTest, LinesAreThoseTheTextDriversReaderCounts) {
  testing::TempDir dir;
  const std::string path = dir / "random.TXT";
  std::mt19937 random(20240601);
  const std::string_view alphabet = "a,\"\r\n\n";
  for (int file = 0; file < 300; ++file) {
    std::string bytes = "H\r\n";
    const int size = std::uniform_int_distribution<int>(0, 60)(random);
    for (int i = 0; i < size; ++i) {
      bytes += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    }
    testing::WriteBytes(path, bytes);
    std::vector<std::int64_t> expected;
    engine::standin::TextReader reader(path, platform::CharacterSet::kCodePage936);
    std::vector<std::optional<std::string_view>> fields;
    while (reader.Next(fields)) expected.push_back(static_cast<std::int64_t>(reader.Line()));
    for (const std::size_t block : {1, 2, 3, 7, 1 << 20}) {
      std::vector<BrokenReference> rows;
      for (std::size_t i = 0; i < expected.size(); ++i) {
        rows.push_back({"", static_cast<std::int64_t>(i + 1), 0});
      }
      std::vector<BrokenReference*> wanted;
      for (BrokenReference& row : rows) wanted.push_back(&row);
      FindSourceLines(path, wanted, block);
      for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].line, expected[i]) << "record " << i + 1 << ", block " << block
                                             << ", file " << ::testing::PrintToString(bytes);
      }
    }
  }
}

TEST(SourceLinesTest, AFileThatCannotBeReadRaises) {
  testing::TempDir dir;
  BrokenReference row{"101", 1, 0};
  EXPECT_THROW(FindSourceLines(dir / "missing.TXT", {&row}), std::runtime_error);
}

}  // namespace
}  // namespace dt::cli

// Source lines of rows: records counted as the text driver counts them.
#include "cli/source_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(SourceLinesTest, AFileThatCannotBeReadRaises) {
  testing::TempDir dir;
  BrokenReference row{"101", 1, 0};
  EXPECT_THROW(FindSourceLines(dir / "missing.TXT", {&row}), std::runtime_error);
}

}  // namespace
}  // namespace dt::cli

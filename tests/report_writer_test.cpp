// The summary lines and the report files of the join check.
#include "cli/report_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/faulty_disk.h"
#include "tests/staging_temp_dir.h"

namespace dt::cli {
namespace {

// Two voucher lines without their account (one value twice) and four
// balances with four unknown items; the other relations hold.
JoinCheck SampleCheck() {
  JoinCheck check;
  for (const Relation& relation : Relations()) check.results.push_back({&relation, {}, {}});
  check.results[1].source_file = "BookDetail.txt";
  check.results[1].rows = {{"101.9", 4210, 4211}, {"101.9", 4300, 4302}, {"7,\"x\"", 5000, 0}};
  check.results[6].source_file = "REMAIN.TXT";
  check.results[6].rows = {{"a", 1, 2}, {"b", 2, 3}, {"c", 3, 4}, {"<d>", 4, 5}};
  return check;
}

TEST(ReportWriterTest, SummaryHasALinePerRelationWithCountsAndDistinctExamples) {
  JoinCheck check = SampleCheck();
  EXPECT_EQ(SummaryLines(check),
            (std::vector<std::string>{
                "PZ: 3 voucher lines whose account (SID) is not in ACCOUNTSECTIONS, e.g. 101.9 "
                "(line 4,211 of BookDetail.txt), 7,\"x\" (row 5,000 of BOOKDETAIL)",
                "KMYE: 4 balances whose item (IID) is not in ITEM, e.g. a (line 2 of "
                "REMAIN.TXT), b (line 3 of REMAIN.TXT), c (line 4 of REMAIN.TXT)"}));
  EXPECT_EQ(ExampleRows(check).size(), 5u) << "the repeated value is no example";
  check.results[1].rows.resize(1);
  EXPECT_EQ(SummaryLines(check)[0].substr(0, 50),
            "PZ: 1 voucher line whose account (SID) is not in A");
  EXPECT_TRUE(SummaryLines(JoinCheck{}).empty()) << "nothing when all hold";
}

TEST(ReportWriterTest, CsvHasAByteOrderMarkAndOneQuotedRowPerReference) {
  const std::string csv = CsvReport(SampleCheck());
  EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(csv.find("\r\nPZ,SID,101.9,ACCOUNTSECTIONS,BookDetail.txt,4211\r\n"),
            std::string::npos);
  EXPECT_NE(csv.find("\r\nPZ,SID,\"7,\"\"x\"\"\",ACCOUNTSECTIONS,BookDetail.txt,\r\n"),
            std::string::npos)
      << csv;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 3 + 4);
}

TEST(ReportWriterTest, HtmlGivesTheCountsFirstAndEscapesValues) {
  const std::string html = HtmlReport(SampleCheck());
  const std::size_t counts = html.find("<td class=\"n\">4</td>");
  const std::size_t rows = html.find("<code>a</code>");
  EXPECT_NE(counts, std::string::npos);
  EXPECT_LT(counts, rows);
  EXPECT_NE(html.find("<code>&lt;d&gt;</code>"), std::string::npos);
  EXPECT_EQ(html.find("<d>"), std::string::npos);
}

TEST(ReportWriterTest, AReportThatCannotBeWrittenRaisesAndLeavesTheOldOne) {
  testing::TempDir dir;
  const std::string path = dir / "report.csv";
  testing::WriteBytes(path, "old");
  EXPECT_THROW(WriteReportFile(dir / "no-folder/report.csv", "new"), std::runtime_error);
  {
    testing::FaultyDisk disk;
    disk.FailWritesAfter("report.csv", 16);
    EXPECT_THROW(WriteReportFile(path, std::string(64, 'x')), std::runtime_error);
  }
  EXPECT_EQ(testing::ReadBytes(path), "old");
  WriteReportFile(path, "new");
  EXPECT_EQ(testing::ReadBytes(path), "new");
}

// Renamed into place, a report would replace whatever stands at its name:
// only a regular file is replaced; a folder, and on POSIX a pipe, stay.
TEST(ReportFileTest, WhatIsNotARegularFileIsNeverReplaced) {
  testing::TempDir dir;
  std::vector<std::string> targets = {dir / "folder"};
  std::filesystem::create_directory(targets[0]);
#ifndef _WIN32
  targets.push_back(dir / "pipe");
  ASSERT_EQ(mkfifo(targets[1].c_str(), 0600), 0);
#endif
  for (const std::string& target : targets) {
    try {
      WriteReportFile(target, "report");
      ADD_FAILURE() << target << ": written";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()),
                "cannot write the report " + target + ": it is not a regular file");
    }
  }
  EXPECT_TRUE(std::filesystem::is_directory(targets[0]));
#ifndef _WIN32
  EXPECT_TRUE(std::filesystem::is_fifo(targets[1]));
#endif
}

}  // namespace
}  // namespace dt::cli

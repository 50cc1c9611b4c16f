// The tool's account of the joins that did not hold, on small exports with
// known broken references: the summary lines after a completed run, the
// report files, and a report that cannot be written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/entry_fixture.h"
#include "tests/process_support.h"

namespace dt {
namespace {

using Arguments = std::vector<std::string>;

// A voucher line of BOOKDETAIL.TXT with the given codes.
std::string Line(const std::string& bookno, const std::string& line, const std::string& summary,
                 const std::string& sid, const std::string& iid, const std::string& bid,
                 const std::string& canceled) {
  return "1,2024," + bookno + "," + line + "," + summary + "," + sid + ",," + iid + ",," + bid +
         ",,100,,,,,,1,,,,,," + canceled + "\r\n";
}

class JoinStepTest : public ::testing::Test {
 protected:
  struct ToolRun {
    int exit_code = -1;
    std::string out;
    std::string err;
  };

  ToolRun Run(const Arguments& more = {}) {
    Arguments arguments = {"--base", dirs_.Base(), "--source", dirs_.Source()};
    arguments.insert(arguments.end(), more.begin(), more.end());
    const std::string out = dirs_.Scratch("tool.out");
    const std::string err = dirs_.Scratch("tool.err");
    ToolRun run;
    run.exit_code = testing::RunProgram(
        std::string(DEALTEXT_BUILD_DIR) + "/" + testing::ProgramFile("dealtext"), arguments, out,
        err);
    run.out = testing::ReadBytes(out);
    run.err = testing::ReadBytes(err);
    std::erase(run.err, '\r');  // the Windows form ends its lines with CR LF
    return run;
  }

  // Every relation broken once or twice, among lines that hold, an empty
  // code, a cancelled line and a summary over two lines.
  void AddBrokenExport() {
    dirs_.AddSampleExport();
    dirs_.AddSource("ACCOUNTSECTIONS.TXT",
                    "exported\r\n1,2024,101,,,,,,,Cash\r\n1,2024,101.1,,,,,,,Bank\r\n"
                    "1,2024,201,,,,,,,Tax\r\n1,2024,1.2.3.4.5.6,,,,,,,Deep\r\n");
    dirs_.AddSource("BOOKDETAIL.TXT",
                    "exported\r\n" + Line("B1", "1", "memo", "101.1", "I.1", "B.1", "0") +
                        Line("B1", "2", "\"two\r\nlines\"", "101.9.3", "", "", "0") +
                        Line("B9", "1", "memo", "101", "", "", "0") +
                        Line("B1", "3", "memo", "101.9.3", "I.9", "B.9", "1") +
                        Line("B1", "4", "memo", "", "", "", "0") +
                        Line("B1", "5", "memo", "101", "I.9", "B.9", "0") +
                        Line("B1", "6", "memo", "2.1", "", "", "0"));
    dirs_.AddSource("REMAIN.TXT",
                    "exported\r\n1,2024,1,101.1,E1,I.1,50,B.1\r\n1,2024,2,7.7,E1,,50,\r\n");
  }

  testing::RunDirectories dirs_;
};

TEST_F(JoinStepTest, EachRelationThatDidNotHoldHasALineWithItsSourceLines) {
  AddBrokenExport();
  const ToolRun run = Run();
  ASSERT_EQ(run.exit_code, 0) << run.err;
  // "2.1" and "201" are alike only once the clean-up has run: the joins
  // compared them as they were.
  for (const char* line :
       {"\nPZ: 1 voucher line whose voucher (BOOKNO) is not in BOOK, e.g. B9 (line 5 of "
        "BOOKDETAIL.TXT)\n",
        "\nPZ: 2 voucher lines whose account (SID) is not in ACCOUNTSECTIONS, e.g. 101.9.3 "
        "(line 3 of BOOKDETAIL.TXT), 2.1 (line 9 of BOOKDETAIL.TXT)\n",
        "\nPZ: 1 voucher line whose budget section (BID) is not in BUDGETSECTION, e.g. B.9 "
        "(line 8 of BOOKDETAIL.TXT)\n",
        "\nPZ: 1 voucher line whose item (IID) is not in ITEM, e.g. I.9 (line 8 of "
        "BOOKDETAIL.TXT)\n",
        "\nKMYE: 1 balance whose account (SID) is not in ACCOUNTSECTIONS, e.g. 7.7 (line 3 of "
        "REMAIN.TXT)\n",
        "\nACCOUNTSECTIONS: 1 account whose code (SID) has more than five levels, of which "
        "NewCode keeps five, e.g. 1.2.3.4.5.6 (line 5 of ACCOUNTSECTIONS.TXT)\n"}) {
    EXPECT_NE(run.err.find(line), std::string::npos) << line << run.err;
  }
  EXPECT_EQ(run.err.find("KMYE: 1 balance whose item"), std::string::npos) << "an empty IID";
}

TEST_F(JoinStepTest, TheReportHoldsEveryBrokenReference) {
  AddBrokenExport();
  const std::string csv = dirs_.Scratch("joins.csv");
  const std::string html = dirs_.Scratch("joins.html");
  ASSERT_EQ(Run({"--quiet", "--report", csv}).exit_code, 0);
  EXPECT_EQ(testing::ReadBytes(csv),
            "\xEF\xBB\xBFtable,key,missing value,not found in,source file,line\r\n"
            "PZ,BOOKNO,B9,BOOK,BOOKDETAIL.TXT,5\r\n"
            "PZ,SID,101.9.3,ACCOUNTSECTIONS,BOOKDETAIL.TXT,3\r\n"
            "PZ,SID,2.1,ACCOUNTSECTIONS,BOOKDETAIL.TXT,9\r\n"
            "PZ,BID,B.9,BUDGETSECTION,BOOKDETAIL.TXT,8\r\n"
            "PZ,IID,I.9,ITEM,BOOKDETAIL.TXT,8\r\n"
            "KMYE,SID,7.7,ACCOUNTSECTIONS,REMAIN.TXT,3\r\n"
            "ACCOUNTSECTIONS,SID,1.2.3.4.5.6,,ACCOUNTSECTIONS.TXT,5\r\n");
  ASSERT_EQ(Run({"--quiet", "--report", html}).exit_code, 0);
  EXPECT_NE(testing::ReadBytes(html).find("<code>101.9.3</code>"), std::string::npos);
}

TEST_F(JoinStepTest, NothingIsSaidWhenEveryJoinHolds) {
  dirs_.AddSampleExport();
  const ToolRun run = Run();
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err.find(" whose "), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("not checked"), std::string::npos) << run.err;
}

TEST_F(JoinStepTest, AReportThatCannotBeWrittenIsAnErrorAfterASuccessfulRun) {
  AddBrokenExport();
  const ToolRun run = Run({"--report", dirs_.Scratch("no-folder/joins.csv")});
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_EQ(run.out.substr(0, dirs_.ResultPath().size()), dirs_.ResultPath()) << "the run's path";
  EXPECT_NE(run.err.find("dealtext: the run succeeded and the work database is complete, but "
                         "cannot write the report "),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("\nPZ: 2 voucher lines whose account"), std::string::npos)
      << "the summary still comes";
}

// The next run would import it as a table of its own.
TEST_F(JoinStepTest, AReportAmongTheExportsIsRefused) {
  AddBrokenExport();
  const ToolRun run = Run({"--report", dirs_.Source() + "/joins.TXT"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_FALSE(dirs_.WorkDatabaseExists()) << "refused before the run";
}

}  // namespace
}  // namespace dt

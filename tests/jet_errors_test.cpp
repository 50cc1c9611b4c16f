// The engine's wording of failures that SQLite reports.
#include "platform/jet/engine_errors.h"

#include <gtest/gtest.h>

#include "platform/jet/error.h"

namespace dt::jet {
namespace {

TEST(JetErrors, SqliteMessagesBecomeTheEnginesOwn) {
  struct Case {
    std::string sqlite;
    std::string engine;
  };
  const std::vector<Case> cases = {
      {"no such table: PZ", "Table 'PZ' does not exist"},
      {"no such table: main.PZ", "Table 'PZ' does not exist"},
      {"no such column: a.SID", "Field 'a.SID' does not exist"},
      {"table \"KMYE\" already exists", "Table 'KMYE' already exists"},
      {"table KMYE already exists", "Table 'KMYE' already exists"},
      {"duplicate column name: NewCode", "Field 'NewCode' already exists"},
      {"ambiguous column name: SID", "Field 'SID' could refer to more than one table"},
      {"no such function: frob", "Undefined function 'frob' in expression"},
      {"Data type mismatch in expression: 'x' is not a date",
       "Data type mismatch in expression: 'x' is not a date"},
      {"table T has 2 columns but 3 values were supplied",
       "Number of query values and destination fields are not the same (table T has 2 columns "
       "but 3 values were supplied)"},
      {"2 values for 1 columns",
       "Number of query values and destination fields are not the same (2 values for 1 columns)"},
      {"1st ORDER BY term out of range - should be between 1 and 2",
       "Cannot run the statement: 1st ORDER BY term out of range - should be between 1 and 2"},
      {"database is locked", "Cannot run the statement: database is locked"},
      {"parser stack overflow", "Statement too complex: it nests too deeply for the engine"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TranslateMessage(c.sqlite, "Cannot run the statement"), c.engine) << c.sqlite;
  }
}

TEST(JetErrors, MessageFramesTheDetailWithTheTextFileAndLine) {
  struct Case {
    TextStep step;
    std::string message;
  };
  const std::vector<Case> cases = {
      {TextStep::kOpen, "Cannot open text file \"/in/B.txt\": Permission denied"},
      {TextStep::kRead, "Cannot read text file \"/in/B.txt\" near line 7: Permission denied"},
      {TextStep::kFindHeader, "Text file '/in/B.txt' Permission denied"},
      {TextStep::kImportHeader,
       "Cannot import the header line 7 of '/in/B.txt': Permission denied"},
      {TextStep::kImportLine, "Cannot import line 7 of '/in/B.txt': Permission denied"},
  };
  for (const Case& c : cases) {
    const Error error(ErrorKind::kIo, "Permission denied",
                      TextPosition{"/in/B.txt", 7, 96, c.step});
    EXPECT_EQ(Message(error), c.message);
    EXPECT_EQ(error.detail(), "Permission denied");
  }
  EXPECT_EQ(Message(Error(ErrorKind::kMissingTable, "Table 'PZ' does not exist")),
            "Table 'PZ' does not exist");
}

}  // namespace
}  // namespace dt::jet

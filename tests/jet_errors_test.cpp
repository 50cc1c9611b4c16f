// The engine's wording of failures that SQLite reports.
#include "platform/jet/engine_errors.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace dt::jet
